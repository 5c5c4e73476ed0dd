#include "framework/app.h"

#include "framework/frame_wnd.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>

namespace fw {

namespace {

CWinApp* g_app = nullptr;

}  // namespace

// Messages after which there is nothing new to show: a repaint, a timer tick
// or the mouse resting in place should not make the idle work run again and
// again (the caret blink alone would keep it busy).
bool CWinApp::triggersIdle(const MSG& msg) {
  switch (msg.message) {
    case WM_PAINT:
    case WM_TIMER:
    case 0x0118:  // WM_SYSTIMER, the caret blink
      return false;
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE: {
      const bool moved = msg.pt.x != lastMouse_.x || msg.pt.y != lastMouse_.y;
      lastMouse_ = msg.pt;
      return moved;
    }
    default:
      return true;
  }
}

CWinApp::CWinApp() {
  if (g_app) throw std::logic_error("only one application object may exist");
  g_app = this;
  // Bars, spin buttons and list views are common controls: register them
  // once for the whole program.
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
}

CWinApp::~CWinApp() {
  if (g_app == this) g_app = nullptr;
}

CWinApp* CWinApp::current() { return g_app; }

int CWinApp::main(int showCommand) {
  showCommand_ = showCommand;
  if (!InitInstance()) return 1;
  try {
    return run();
  } catch (...) {
    return ExitOnError(std::current_exception());
  }
}

int CWinApp::ExitOnError(std::exception_ptr error) { std::rethrow_exception(error); }

int CWinApp::run() {
  bool idleDue = true;
  for (;;) {
    MSG msg;
    if (idleDue && !PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      runIdle();
      idleDue = false;
    }
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      quitSeen_ = true;
      quitCode_ = got == 0 ? static_cast<int>(msg.wParam) : -1;
      return quitCode_;
    }
    processMessage(msg);
    if (triggersIdle(msg)) idleDue = true;
  }
}

bool CWinApp::preTranslateMessage(MSG& msg) {
  // Innermost first, up to the top-level window; GA_PARENT never climbs from
  // an owned pop-up to its owner, so a dialog's keys stay in the dialog.
  for (HWND h = msg.hwnd; h; h = GetAncestor(h, GA_PARENT)) {
    if (h == GetDesktopWindow()) break;
    if (CWnd* wnd = CWnd::fromHandle(h)) {
      if (wnd->PreTranslateMessage(msg)) return true;
    }
  }
  for (HWND dialog : modeless_) {
    if (msg.hwnd == dialog || IsChild(dialog, msg.hwnd)) {
      if (IsDialogMessageW(dialog, &msg)) return true;
      break;
    }
  }
  return false;
}

void CWinApp::processMessage(MSG& msg) {
  if (!preTranslateMessage(msg)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  rethrowDeferred();
}

void CWinApp::deferError(std::exception_ptr error) {
  if (!deferred_) deferred_ = error;
}

void CWinApp::rethrowDeferred() {
  if (!deferred_) return;
  std::exception_ptr error = deferred_;
  deferred_ = nullptr;
  std::rethrow_exception(error);
}

int CWinApp::addIdleHandler(std::function<void()> handler) {
  int id = nextIdleId_++;
  idle_.push_back({id, std::move(handler)});
  return id;
}

void CWinApp::removeIdleHandler(int id) {
  idle_.erase(std::remove_if(idle_.begin(), idle_.end(), [id](const IdleEntry& e) { return e.id == id; }),
              idle_.end());
}

void CWinApp::runIdle() {
  // A handler may add or remove handlers; work on a copy of the list.
  std::vector<IdleEntry> handlers = idle_;
  for (const IdleEntry& entry : handlers) {
    bool stillThere =
        std::any_of(idle_.begin(), idle_.end(), [&](const IdleEntry& e) { return e.id == entry.id; });
    if (stillThere) entry.handler();
  }
  rethrowDeferred();  // update handlers may have sent messages
}

void CWinApp::addModelessDialog(HWND dialog) {
  if (dialog && std::find(modeless_.begin(), modeless_.end(), dialog) == modeless_.end())
    modeless_.push_back(dialog);
}

void CWinApp::removeModelessDialog(HWND dialog) {
  modeless_.erase(std::remove(modeless_.begin(), modeless_.end(), dialog), modeless_.end());
}

bool CWinApp::drainQueue() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      quitSeen_ = true;
      quitCode_ = static_cast<int>(msg.wParam);
      return false;
    }
    processMessage(msg);
  }
  return true;
}

void CWinApp::pumpPending() {
  if (drainQueue()) runIdle();
}

bool CWinApp::pumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    if (!drainQueue()) return done();
    runIdle();
    if (done()) return true;
    ULONGLONG now = GetTickCount64();
    if (now >= deadline) return false;
    DWORD wait = static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 20));
    MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

}  // namespace fw
