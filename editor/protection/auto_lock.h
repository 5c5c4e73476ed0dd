// AutoLock: the moments the document locks by itself, as the security
// settings say: when Windows locks the session, before the computer sleeps
// or hibernates (so that memory written to the hibernation file holds only
// the sealed state), when the window is minimised, and after the idle
// minutes without input.  Activating the
// window from another program while locked asks for the password.
//
// A lock that comes while a modal window (a dialog, a message box) is open
// waits for it: that window's caller still works on the document's text.
// It is not dropped; it happens as soon as the main window is enabled again
// and the command that opened the modal window has finished.
//
// The main window passes the window events on; the idle timer is its timer
// kIdleTimerId.  User-interface thread only.
#pragma once

#include <windows.h>

class DocumentLock;
class OpenDocument;
class WindowHost;
struct SecuritySettings;

class AutoLock {
 public:
  // The timer of the main window that looks for idle time.
  static constexpr UINT_PTR kIdleTimerId = 0x7040;

  AutoLock(WindowHost& host, const OpenDocument& document, DocumentLock& lock,
           const SecuritySettings& security);

  void onActivate(WPARAM wParam, LPARAM lParam);
  void onSessionChange(WPARAM event);
  // WM_POWERBROADCAST's event.
  void onPowerEvent(WPARAM event);
  // Asks Windows for the suspend notice once the window exists, and lets
  // it go before the window does.  Machines that sleep in Modern Standby
  // send PBT_APMSUSPEND only to windows that asked for it (Windows 8 and
  // later; earlier systems send it to every window and lack the call).
  void watchSuspend();
  void stopWatchingSuspend();
  void onMinimized();
  void onIdleTimer();
  // Starts or stops the idle timer as the security settings now say.
  void applySettings();

 private:
  // Locks now, or as soon as no modal window is open.
  void lockNow();
  LRESULT onEnable(WPARAM enabled);

  WindowHost& host_;
  const OpenDocument& document_;
  DocumentLock& lock_;
  const SecuritySettings& security_;
  // Set when the window lost the activation to another program.
  bool away_ = false;
  // Set while a lock waits for a modal window to close.
  bool waiting_ = false;
  // The registration of the suspend notice, when the system has it.
  void* suspendNotice_ = nullptr;
};
