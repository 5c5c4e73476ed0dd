// CaptureShield: keeps the editor's windows out of screen captures while
// the security setting hideFromCapture is on.
//
// Windows lets a program mark a top-level window so that screenshots,
// screen recorders and screen sharing by other programs see it blank
// (SetWindowDisplayAffinity).  What it cannot stop is a camera, or a person
// looking at the screen.  The mark goes on the main window, which shows the
// text, and on every dialog of ours as it is made (fw::setDialogObserver):
// the password dialogs, the Save As panel, Find and Replace, Go to line and
// the settings dialogs alike.  Marking all of them, rather than a list of
// those that show the text or a password today, keeps a new dialog from
// being forgotten.  The system's own boxes and pickers the editor shows
// without a panel of ours (message boxes, the Open and Font dialogs) hold
// neither the text nor a password and are left as they are.
//
// WDA_EXCLUDEFROMCAPTURE (the window is left out) exists from Windows 10
// version 2004 on; older systems refuse it, and the shield then falls back
// to WDA_MONITOR (the window shows black).  It tries rather than asks the
// version: the version a program is told depends on its manifest, the
// call's own answer does not.  A system that refuses both (wine does) leaves
// the window as it was, and the editor goes on without a word.
//
// Turning the setting on or off applies at once to every window of ours
// that is showing (apply()).  User-interface thread only.
#pragma once

#include <windows.h>

struct SecuritySettings;

// The system call, behind a seam so that tests see which window gets what.
class DisplayAffinityApi {
 public:
  virtual ~DisplayAffinityApi() = default;
  // SetWindowDisplayAffinity: true when the system accepted it.
  virtual bool set(HWND window, DWORD affinity) = 0;
};

// The real call.
DisplayAffinityApi& systemDisplayAffinity();

class CaptureShield {
 public:
  // The values of WDA_NONE, WDA_MONITOR and WDA_EXCLUDEFROMCAPTURE, which
  // older headers lack.
  static constexpr DWORD kNone = 0x00;
  static constexpr DWORD kMonitor = 0x01;
  static constexpr DWORD kExcludeFromCapture = 0x11;

  CaptureShield(DisplayAffinityApi& api, const SecuritySettings& settings);

  // A new top-level window of ours: kept out of captures if the setting is
  // on (a new window starts shown to captures, so nothing is done if off).
  void protect(HWND window);
  // The setting changed: every visible top-level window of this thread
  // follows it.
  void apply();

 private:
  void set(HWND window, bool hidden);

  DisplayAffinityApi& api_;
  const SecuritySettings& settings_;
};
