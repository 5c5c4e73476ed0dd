#include "framework/dialog.h"

#include "framework/app.h"
#include "framework/frame_wnd.h"
#include "framework/modal.h"
#include "orka/text/wide.h"

#include <utility>

namespace fw {

namespace {

// How often a scripted dialog is asked again after it refused to close.
constexpr int kScriptedRounds = 16;

// Messages whose answer a dialog procedure returns directly instead of
// through DWLP_MSGRESULT.
bool answersDirectly(UINT message) {
  switch (message) {
    case WM_INITDIALOG:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
      return true;
    default:
      return false;
  }
}

DialogObserver& dialogObserver() {
  static DialogObserver observer;
  return observer;
}

}  // namespace

DialogObserver setDialogObserver(DialogObserver observer) {
  DialogObserver previous = std::move(dialogObserver());
  dialogObserver() = std::move(observer);
  return previous;
}

void notifyDialogObserver(HWND window) {
  if (dialogObserver()) dialogObserver()(window);
}

CDialog::CDialog(UINT templateId, HWND parent) : templateId_(templateId), parent_(parent) {
  onBuiltin(WM_INITDIALOG, &CDialog::OnInitDialogMessage);
  onBuiltin(WM_COMMAND, &CDialog::OnCommandMessage);
  onBuiltin(WM_DESTROY, &CDialog::OnDestroyMessage);
}

CDialog::~CDialog() {
  clearMessageTable();
  destroyWindow();
}

INT_PTR CALLBACK CDialog::dialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CDialog* self = nullptr;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<CDialog*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->bind(hwnd, !self->modal_ || self->scripted_);
  } else {
    self = reinterpret_cast<CDialog*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (!self) return FALSE;
  return self->dialogDispatch(message, wParam, lParam);
}

INT_PTR CDialog::dialogDispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND hwnd = this->hwnd();
  const bool outer = unhandled_;
  unhandled_ = false;
  LRESULT result = 0;
  try {
    result = dispatch(message, wParam, lParam);
  } catch (...) {
    // Never unwind through the dialog manager: a modal dialog closes and
    // DoModal rethrows; a modeless one leaves it to the message loop.
    if (modal_) {
      abandon(std::current_exception());
    } else if (CWinApp* app = CWinApp::current()) {
      app->deferError(std::current_exception());
      // A dialog whose set-up gave up half-way must not stay open as if it
      // had been created (createModeless then fails).
      if (message == WM_INITDIALOG) DestroyWindow(hwnd);
    } else {
      std::terminate();
    }
  }
  const bool unhandled = unhandled_;
  unhandled_ = outer;
  if (message == WM_NCDESTROY) {
    if (GetWindowLongPtrW(hwnd, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(this))
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    unbind();
    PostNcDestroy();
  }
  if (unhandled) return FALSE;
  if (answersDirectly(message)) return static_cast<INT_PTR>(result);
  SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
  return TRUE;
}

LRESULT CDialog::defaultProcessing(UINT, WPARAM, LPARAM) {
  // Calling the dialog manager from inside its own procedure would recurse;
  // answering FALSE lets it do its usual thing once the procedure returns.
  unhandled_ = true;
  return 0;
}

INT_PTR CDialog::DoModal() {
  if (hwnd()) return -1;
  ended_ = false;
  result_ = 0;
  pending_ = nullptr;
  std::optional<INT_PTR> scripted = runScripted();
  rethrowPending();
  if (scripted) return *scripted;
  modal_ = true;
  const INT_PTR result = DialogBoxParamW(resourceInstance(), MAKEINTRESOURCEW(templateId_), owner(),
                                         &CDialog::dialogProc, reinterpret_cast<LPARAM>(this));
  modal_ = false;
  rethrowPending();
  return result;
}

void CDialog::abandon(std::exception_ptr error) {
  if (!pending_) pending_ = error;  // the first error is the one to report
  EndDialog(IDCANCEL);
}

void CDialog::rethrowPending() {
  if (!pending_) return;
  std::exception_ptr error = pending_;
  pending_ = nullptr;
  std::rethrow_exception(error);
}

std::optional<INT_PTR> CDialog::runScripted() {
  if (!hasModalResponder()) return std::nullopt;
  modal_ = scripted_ = true;
  HWND hwnd = CreateDialogParamW(resourceInstance(), MAKEINTRESOURCEW(templateId_), owner(),
                                 &CDialog::dialogProc, reinterpret_cast<LPARAM>(this));
  if (!hwnd) {
    modal_ = scripted_ = false;
    return INT_PTR(-1);
  }
  ShowWindow(hwnd, SW_HIDE);
  bool declined = false;
  for (int round = 0; round < kScriptedRounds && !ended_ && this->hwnd(); ++round) {
    ModalRequest request;
    request.kind = ModalKind::Dialog;
    request.caption = windowText();
    request.templateId = templateId_;
    request.dialog = this;
    std::optional<int> button;
    try {
      button = askModalResponder(request);
    } catch (...) {
      abandon(std::current_exception());
      break;
    }
    if (!button) {
      if (round == 0) {
        declined = true;  // show the real dialog instead
        break;
      }
      button = IDCANCEL;
    }
    // The same path as a click, so that the dialog's own checks run.
    send(WM_COMMAND, MAKEWPARAM(*button, BN_CLICKED), reinterpret_cast<LPARAM>(item(*button)));
    pumpPosted();
  }
  destroyWindow();
  modal_ = scripted_ = false;
  if (declined) return std::nullopt;
  // A dialog that kept refusing to close counts as cancelled.
  return ended_ ? result_ : INT_PTR(IDCANCEL);
}

void CDialog::pumpPosted() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Not ours to take: leave it for the loop that runs the program.
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    if (CWinApp* app = CWinApp::current()) {
      // The loop step rethrows what some other window's handler deferred;
      // escaping here it would leave this dialog open and marked as running.
      try {
        app->processMessage(msg);
      } catch (...) {
        abandon(std::current_exception());
        return;
      }
    } else {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

HWND CDialog::owner() const {
  if (parent_) return parent_;
  CWinApp* app = CWinApp::current();
  return app && app->mainWnd() ? app->mainWnd()->hwnd() : nullptr;
}

void CDialog::EndDialog(INT_PTR result) {
  if (!hwnd()) return;
  if (modal_ && scripted_) {
    ended_ = true;
    result_ = result;
  } else if (modal_) {
    ::EndDialog(hwnd(), result);
  } else {
    destroyWindow();
  }
}

bool CDialog::createModeless() {
  if (hwnd()) return false;
  modal_ = false;
  HWND hwnd = CreateDialogParamW(resourceInstance(), MAKEINTRESOURCEW(templateId_), parent_,
                                 &CDialog::dialogProc, reinterpret_cast<LPARAM>(this));
  if (!hwnd || !IsWindow(hwnd)) return false;
  if (CWinApp* app = CWinApp::current()) app->addModelessDialog(hwnd);
  return true;
}

LRESULT CDialog::OnInitDialogMessage(WPARAM, LPARAM) {
  // A file dialog's panel is a child: the window the user sees is the
  // system dialog around it.
  notifyDialogObserver(GetAncestor(hwnd(), GA_ROOT));
  return OnInitDialog();
}

LRESULT CDialog::OnCommandMessage(WPARAM wParam, LPARAM lParam) {
  const UINT id = LOWORD(wParam);
  const UINT code = HIWORD(wParam);
  if (id == IDOK && code == BN_CLICKED) {
    OnOK();
  } else if (id == IDCANCEL && code == BN_CLICKED) {
    OnCancel();
  } else if (!OnCommand(id, code, reinterpret_cast<HWND>(lParam))) {
    return Default();
  }
  return 0;
}

LRESULT CDialog::OnDestroyMessage(WPARAM, LPARAM) {
  if (!modal_)
    if (CWinApp* app = CWinApp::current()) app->removeModelessDialog(hwnd());
  return Default();
}

// ------------------------------------------------------------ controls

HWND CDialog::item(int id) const { return hwnd() ? GetDlgItem(hwnd(), id) : nullptr; }

std::string CDialog::itemText(int id) const { return windowTextOf(item(id)); }

void CDialog::setItemText(int id, std::string_view text) {
  if (HWND control = item(id)) SetWindowTextW(control, orka::widen(text).c_str());
}

int CDialog::itemInt(int id, bool* ok, bool isSigned) const {
  BOOL translated = FALSE;
  const UINT value = hwnd() ? GetDlgItemInt(hwnd(), id, &translated, isSigned) : 0;
  if (ok) *ok = translated != FALSE;
  return static_cast<int>(value);
}

void CDialog::setItemInt(int id, int value, bool isSigned) {
  if (hwnd()) SetDlgItemInt(hwnd(), id, static_cast<UINT>(value), isSigned);
}

bool CDialog::isChecked(int id) const { return hwnd() && IsDlgButtonChecked(hwnd(), id) == BST_CHECKED; }

void CDialog::setChecked(int id, bool checked) {
  if (hwnd()) CheckDlgButton(hwnd(), id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void CDialog::enableItem(int id, bool enabled) {
  if (HWND control = item(id)) EnableWindow(control, enabled);
}

bool CDialog::isItemEnabled(int id) const {
  HWND control = item(id);
  return control && IsWindowEnabled(control);
}

void CDialog::focusItem(int id) {
  if (HWND control = item(id)) SetFocus(control);
}

}  // namespace fw
