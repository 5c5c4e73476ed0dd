#include "editor/session_end.h"

#include "editor/main_wnd.h"
#include "editor/res/resource.h"
#include "orka/text/wide.h"

SessionEnd::SessionEnd(CMainWnd& main) : main_(main) {
  main_.onMessage(WM_QUERYENDSESSION, [this](WPARAM, LPARAM) { return queryEndSession(); });
  main_.onMessage(WM_ENDSESSION, [this](WPARAM wParam, LPARAM) { return endSession(wParam != FALSE); });
}

LRESULT SessionEnd::queryEndSession() {
  const EditCtrl* edit = main_.editCtrl();
  if (!edit || !edit->modified()) return TRUE;
  const std::wstring reason = orka::widen(fw::loadString(IDS_SHUTDOWN_REASON));
  ShutdownBlockReasonCreate(main_.hwnd(), reason.c_str());
  const bool goOn = main_.querySaveChanges();
  ShutdownBlockReasonDestroy(main_.hwnd());
  return goOn ? TRUE : FALSE;
}

LRESULT SessionEnd::endSession(bool ending) {
  if (ending) main_.saveSettings();
  return 0;
}
