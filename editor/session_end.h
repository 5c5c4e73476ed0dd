// SessionEnd: the main window's part in a log-off or shutdown.
//
// Windows asks every top-level window first (WM_QUERYENDSESSION) and then
// tells it the outcome (WM_ENDSESSION), after which the process may be ended
// at any moment without WM_CLOSE.  So the question a close asks comes here:
// modified text gets the save question, and while it is open Windows shows
// why the editor holds the log-off up (ShutdownBlockReasonCreate, removed
// again after the answer).  Yes saves, No lets the text go, Cancel (or a
// failed save) answers FALSE and keeps everything; unmodified text lets the
// log-off go ahead without a word.  When the session really ends, the
// settings are written as a close writes them.
//
// Registers its two handlers with the main window on construction.  User-
// interface thread only.
#pragma once

#include <windows.h>

class CMainWnd;

class SessionEnd {
 public:
  explicit SessionEnd(CMainWnd& main);

 private:
  LRESULT queryEndSession();
  LRESULT endSession(bool ending);

  CMainWnd& main_;
};
