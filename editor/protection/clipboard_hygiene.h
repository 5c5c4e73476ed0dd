// ClipboardHygiene: keeps the editor's copies out of clipboard history, the
// cloud clipboard and clipboard monitors, and takes the last one back.
//
// After Copy or Cut has put the text on the clipboard, markCopy() adds three
// registered formats beside it: "ExcludeClipboardContentFromMonitorProcessing",
// "CanIncludeInClipboardHistory" (a DWORD 0) and "CanUploadToCloudClipboard"
// (a DWORD 0), and notes the clipboard's sequence number.  clearOwnCopy()
// empties the clipboard only while that number is unchanged, so that
// whatever the user copied elsewhere since is never lost.  Failures (the
// clipboard held open by another program) are ignored: the copy stays as it
// is.  User-interface thread only.
#pragma once

#include <windows.h>

class ClipboardHygiene {
 public:
  // Marks the copy the edit control has just put on the clipboard as the
  // editor's own, and keeps it out of history and the cloud.
  void markCopy(HWND owner);
  // Empties the clipboard when it still holds the editor's last copy.
  void clearOwnCopy(HWND owner);
  // Whether the clipboard still holds the editor's last copy.
  bool holdsOwnCopy() const;

 private:
  DWORD sequence_ = 0;
  bool copied_ = false;
};
