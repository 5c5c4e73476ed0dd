#include "editor/session_end.h"

#include <utility>

#include "editor/document/open_document.h"
#include "editor/res/resource.h"
#include "editor/window_host.h"
#include "framework/wnd.h"
#include "orka/text/wide.h"

SessionEnd::SessionEnd(WindowHost& host, const OpenDocument& document, std::function<bool()> querySaveChanges,
                       std::function<void()> saveSettings, std::function<void()> keepUnsaved)
    : host_(host),
      document_(document),
      querySaveChanges_(std::move(querySaveChanges)),
      saveSettings_(std::move(saveSettings)),
      keepUnsaved_(std::move(keepUnsaved)) {
  host_.onMessage(WM_QUERYENDSESSION, [this](WPARAM, LPARAM) { return queryEndSession(); });
  host_.onMessage(WM_ENDSESSION, [this](WPARAM wParam, LPARAM) { return endSession(wParam != FALSE); });
}

void SessionEnd::giveReason(UINT stringId) {
  const std::wstring reason = orka::widen(fw::loadString(stringId));
  ShutdownBlockReasonCreate(host_.owner(), reason.c_str());
}

LRESULT SessionEnd::queryEndSession() {
  if (document_.mayClose()) return TRUE;
  if (keepUnsaved_) keepUnsaved_();
  if (document_.locked()) {
    giveReason(IDS_SHUTDOWN_REASON_LOCKED);
    return FALSE;
  }
  giveReason(IDS_SHUTDOWN_REASON);
  const bool goOn = querySaveChanges_();
  ShutdownBlockReasonDestroy(host_.owner());
  return goOn ? TRUE : FALSE;
}

LRESULT SessionEnd::endSession(bool ending) {
  ShutdownBlockReasonDestroy(host_.owner());
  if (ending) saveSettings_();
  return 0;
}
