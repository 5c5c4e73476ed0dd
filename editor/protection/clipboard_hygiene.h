// ClipboardHygiene: puts the editor's copies on the clipboard, keeps them out
// of clipboard history, the cloud clipboard and clipboard monitors, and
// takes the last one back.
//
// copy() opens the clipboard once and puts the text (CF_UNICODETEXT) there
// together with three registered formats: "ExcludeClipboardContentFromMonitor
// Processing", "CanIncludeInClipboardHistory" (a DWORD 0) and
// "CanUploadToCloudClipboard" (a DWORD 0).  History, the cloud clipboard and
// monitors read the clipboard when it is closed, so the marks must be there
// at that very close: one copy is one change of the clipboard.  It then
// notes the clipboard's sequence number.  clearOwnCopy() empties the
// clipboard only while that number is unchanged, so that whatever the user
// copied elsewhere since is never lost.  copy() says when it failed (the
// clipboard held open by another program, no memory); the other calls
// ignore such failures and leave the clipboard as it is.
//
// When asked to, the last copy is also cleared after some seconds: a timer
// of the owner window (kClearTimerId), restarted by every copy, whose
// message the window passes to onClearTimer().  User-interface thread only.
#pragma once

#include <windows.h>

#include <string_view>

class ClipboardHygiene {
 public:
  // The owner window's timer that clears the last copy.
  static constexpr UINT_PTR kClearTimerId = 0x7041;

  // Puts `text` on the clipboard as the editor's own copy, kept out of
  // history and the cloud; false when the clipboard could not be changed.
  bool copy(HWND owner, std::wstring_view text);
  // Empties the clipboard when it still holds the editor's last copy.
  void clearOwnCopy(HWND owner);
  // Whether the clipboard still holds the editor's last copy.
  bool holdsOwnCopy() const;

  // Clears each copy after `milliseconds` from now on; 0 stops that (a
  // waiting timer is stopped too).
  void setClearAfter(HWND owner, UINT milliseconds);
  // The timer's message: clears the copy if it is still the editor's own.
  void onClearTimer(HWND owner);

 private:
  DWORD sequence_ = 0;
  bool copied_ = false;
  UINT clearAfter_ = 0;
};
