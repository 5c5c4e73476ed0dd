// CWinApp: the application object and its message loop.
//
// One application object exists per process (the constructor registers it as
// current(); a second one is refused with std::logic_error).  It owns nothing
// but its lists: the main window, idle handlers and modeless dialogs are owned
// by whoever created them and must unregister (removeIdleHandler,
// removeModelessDialog) before they die; the framework's own frames and
// dialogs do so themselves.
//
// Each queued message goes through these steps:
//   1. pre-translation: CWnd::PreTranslateMessage of the target window's
//      object and of its ancestors' objects, innermost first (a frame's hook
//      translates its accelerators); any of them may swallow the message;
//   2. IsDialogMessageW for the registered modeless dialog that contains the
//      target, so Tab, Enter and Esc work there;
//   3. TranslateMessage and DispatchMessageW.
// When the queue runs empty after a message was processed, the idle handlers
// run once, in registration order (tool-bar button states, status-bar panes).
// The loop ends with WM_QUIT; the framework posts it when the main window is
// destroyed.
//
// Errors: an exception escaping a handler of a frame must not unwind through
// the system's code that called the window procedure.  The frame's procedure
// catches it and hands it to the application (deferError), and the loop step
// that dispatched the message — run(), processMessage(), pumpPending(),
// pumpUntil() — rethrows it.  A handler reached by SendMessage from outside
// the loop has its error rethrown by the next loop step.
// A command's error goes first to its frame (CFrameWnd::OnCommandFailed),
// which may report it and go on.  An error that still ends run() inside
// main() goes to ExitOnError, whose exit code main() returns.
//
// User-interface thread only.
#pragma once

#include "framework/wnd.h"

#include <exception>
#include <functional>
#include <vector>

namespace fw {

class CFrameWnd;

class CWinApp {
 public:
  CWinApp();
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  static CWinApp* current();

  // Program entry: stores the show command, runs InitInstance and, when it
  // succeeds, the message loop.  Returns the exit code (the loop's WM_QUIT
  // code, or 1 when InitInstance failed).
  int main(int showCommand);
  // Set-up of the program; false ends it without a loop.
  virtual bool InitInstance() { return true; }
  // The loop ended with `error` (see Errors above).  The default rethrows
  // it out of main(); a program that has unsaved work to offer first
  // overrides it and returns the exit code.
  virtual int ExitOnError(std::exception_ptr error);
  int showCommand() const { return showCommand_; }

  // The window whose destruction ends the program.
  void setMainWnd(CFrameWnd* frame) { mainWnd_ = frame; }
  CFrameWnd* mainWnd() const { return mainWnd_; }

  // Runs the loop until WM_QUIT and returns its exit code.
  int run();

  // Steps 1 and 2 above; true when the message was consumed.
  bool preTranslateMessage(MSG& msg);
  // All three steps for one message.
  void processMessage(MSG& msg);

  // Keeps an error caught in a window procedure for the loop to rethrow
  // (the first one wins until it is rethrown).
  void deferError(std::exception_ptr error);
  // Rethrows a deferred error, if any.
  void rethrowDeferred();

  // Idle work; the id is for removal.
  int addIdleHandler(std::function<void()> handler);
  void removeIdleHandler(int id);
  // Runs every idle handler now.
  void runIdle();

  void addModelessDialog(HWND dialog);
  void removeModelessDialog(HWND dialog);

  // For tests: processes messages (running idle handlers whenever the queue
  // is empty) until done() holds or timeoutMs passes; returns done()'s last
  // answer.  A WM_QUIT seen meanwhile is remembered (quitSeen) and ends the
  // wait.
  bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);
  // Processes what is queued now, then runs the idle handlers once.
  void pumpPending();
  bool quitSeen() const { return quitSeen_; }
  int quitCode() const { return quitCode_; }

 private:
  struct IdleEntry {
    int id;
    std::function<void()> handler;
  };
  // Empties the queue; false when WM_QUIT came.
  bool drainQueue();
  // Whether the message may have changed what idle handlers show.
  bool triggersIdle(const MSG& msg);

  CFrameWnd* mainWnd_ = nullptr;
  int showCommand_ = SW_SHOWDEFAULT;
  std::vector<IdleEntry> idle_;
  int nextIdleId_ = 1;
  std::vector<HWND> modeless_;
  bool quitSeen_ = false;
  int quitCode_ = 0;
  POINT lastMouse_ = {-1, -1};
  std::exception_ptr deferred_;
};

}  // namespace fw
