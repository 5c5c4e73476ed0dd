#include "framework/common_dialogs.h"

#include "framework/app.h"
#include "framework/modal.h"
#include "orka/text/wide.h"

#include <commctrl.h>

#include <algorithm>

namespace fw {

namespace {

// Room for long paths; the callers decide what length they accept.
constexpr size_t kPathBuffer = 4096;
// How often a scripted file dialog is asked again after a rejected name.
constexpr int kScriptedRounds = 16;

INT_PTR commonDialogFailure() { return CommDlgExtendedError() == 0 ? IDCANCEL : -1; }

std::vector<CFindReplaceDialog*>& liveFindDialogs() {
  static std::vector<CFindReplaceDialog*> live;
  return live;
}

}  // namespace

// ---------------------------------------------------------- file dialog

CFileDialog::CFileDialog(bool openDialog, HWND owner) : CDialog(0, owner), open_(openDialog), owner_(owner) {}

void CFileDialog::setFilter(std::string_view filter) {
  // The system wants NUL-separated pairs ending in two NULs.
  filter_ = orka::widen(filter);
  std::replace(filter_.begin(), filter_.end(), L'|', L'\0');
  filter_.push_back(L'\0');
  filter_.push_back(L'\0');
}

void CFileDialog::setDefaultExtension(std::string_view extension) { defExt_ = orka::widen(extension); }

void CFileDialog::setFileName(std::string_view name) { fileName_ = orka::widen(name); }

void CFileDialog::setTitle(std::string_view title) { title_ = orka::widen(title); }

void CFileDialog::setPanelTemplate(UINT templateId) { panelTemplate_ = templateId; }

INT_PTR CFileDialog::DoModal() {
  path_.clear();
  pending_ = nullptr;
  if (hasModalResponder()) {
    std::optional<INT_PTR> answer = runScriptedFile();
    rethrowPending();
    if (answer) return *answer;
  }

  std::vector<wchar_t> file(kPathBuffer, L'\0');
  std::copy_n(fileName_.begin(), std::min(fileName_.size(), kPathBuffer - 1), file.begin());

  OPENFILENAMEW ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner_;
  ofn.hInstance = resourceInstance();
  ofn.lpstrFilter = filter_.empty() ? nullptr : filter_.c_str();
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrDefExt = defExt_.empty() ? nullptr : defExt_.c_str();
  ofn.lpstrTitle = title_.empty() ? nullptr : title_.c_str();
  ofn.Flags = flags_ | OFN_EXPLORER;
  ofn.FlagsEx = flagsEx_;
  if (panelTemplate_) {
    ofn.Flags |= OFN_ENABLEHOOK | OFN_ENABLETEMPLATE;
    ofn.lpfnHook = &CFileDialog::hookProc;
    ofn.lpTemplateName = MAKEINTRESOURCEW(panelTemplate_);
    ofn.lCustData = reinterpret_cast<LPARAM>(this);
  }
  modal_ = true;
  const BOOL ok = open_ ? GetOpenFileNameW(&ofn) : GetSaveFileNameW(&ofn);
  modal_ = false;
  rethrowPending();
  if (!ok) return commonDialogFailure();
  path_ = orka::narrow(file.data());
  return IDOK;
}

std::optional<INT_PTR> CFileDialog::runScriptedFile() {
  ModalRequest request;
  request.kind = open_ ? ModalKind::OpenFile : ModalKind::SaveFile;
  request.caption = orka::narrow(title_);
  request.path = orka::narrow(fileName_);
  request.flags = flags_;
  request.templateId = panelTemplate_;
  if (!panelTemplate_) {
    std::optional<int> answer = askModalResponder(request);
    if (!answer) return std::nullopt;
    if (*answer == IDOK) path_ = request.path;
    return INT_PTR(*answer);
  }

  // With a panel: create it hidden, as the system would, so that its
  // initialisation and the name check of the derived class run.
  // The panel is a child template; a hidden pop-up stands in for the
  // system dialog that would hold it.
  HWND host = CreateWindowExW(0, L"STATIC", nullptr, WS_POPUP, 0, 0, 0, 0, owner_, nullptr,
                              resourceInstance(), nullptr);
  modal_ = scripted_ = true;
  HWND panel =
      host ? CreateDialogParamW(resourceInstance(), MAKEINTRESOURCEW(panelTemplate_), host,
                                &CDialog::dialogProc, reinterpret_cast<LPARAM>(static_cast<CDialog*>(this)))
           : nullptr;
  if (!panel) {
    modal_ = scripted_ = false;
    if (host) DestroyWindow(host);
    return INT_PTR(-1);
  }
  std::optional<INT_PTR> outcome = INT_PTR(IDCANCEL);
  for (int round = 0; round < kScriptedRounds && hwnd() && !pending_; ++round) {
    request.dialog = this;
    bool accepted = false;
    try {
      std::optional<int> answer = askModalResponder(request);
      if (!answer) {
        if (round == 0) outcome.reset();  // declined: show the real dialog
        break;
      }
      if (*answer != IDOK) {
        outcome = *answer;
        break;
      }
      path_ = request.path;
      accepted = OnFileNameOK();
    } catch (...) {
      abandon(std::current_exception());
      break;
    }
    pumpPosted();  // what the check posted to the panel (its messages)
    if (accepted) {
      outcome = INT_PTR(IDOK);
      break;
    }
  }
  if (!outcome || *outcome != IDOK) path_.clear();
  destroyWindow();
  DestroyWindow(host);
  modal_ = scripted_ = false;
  return outcome;
}

UINT_PTR CALLBACK CFileDialog::hookProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  // The hook runs as the dialog procedure of the panel.
  CFileDialog* self = nullptr;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<CFileDialog*>(reinterpret_cast<OPENFILENAMEW*>(lParam)->lCustData);
    self->bind(hwnd, false);
  } else {
    self = dynamic_cast<CFileDialog*>(CWnd::fromHandle(hwnd));
  }
  if (!self) return 0;
  if (message == WM_NOTIFY) {
    const auto* notify = reinterpret_cast<const OFNOTIFYW*>(lParam);
    if (notify->hdr.code == CDN_FILEOK) {
      self->path_ = orka::narrow(notify->lpOFN->lpstrFile);
      bool accepted = false;
      try {
        accepted = self->OnFileNameOK();
      } catch (...) {
        self->abandon(std::current_exception());
      }
      // Nonzero result keeps the dialog open.
      SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, accepted ? 0 : 1);
      return accepted ? 0 : 1;
    }
  }
  return static_cast<UINT_PTR>(self->dialogDispatch(message, wParam, lParam));
}

void CFileDialog::abandon(std::exception_ptr error) {
  if (!pending_) pending_ = error;
  // The name is rejected; the system dialog is then told to cancel, so
  // that DoModal can report the error once it is gone.
  if (!scripted_ && hwnd()) PostMessageW(GetParent(hwnd()), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

// ---------------------------------------------------------- font dialog

CFontDialog::CFontDialog(const LOGFONTW& initial, DWORD flags, HWND owner)
    : font_(initial), flags_(flags), owner_(owner) {}

INT_PTR CFontDialog::DoModal() {
  ModalRequest request;
  request.kind = ModalKind::Font;
  request.font = font_;
  if (std::optional<int> answer = askModalResponder(request)) {
    if (*answer == IDOK) font_ = request.font;
    return *answer;
  }
  LOGFONTW chosen = font_;
  CHOOSEFONTW cf = {};
  cf.lStructSize = sizeof cf;
  cf.hwndOwner = owner_;
  cf.lpLogFont = &chosen;
  cf.Flags = flags_ | CF_INITTOLOGFONTSTRUCT;
  if (!ChooseFontW(&cf)) return commonDialogFailure();
  font_ = chosen;
  return IDOK;
}

// -------------------------------------------------- find/replace dialog

UINT CFindReplaceDialog::message() {
  static const UINT id = RegisterWindowMessageW(FINDMSGSTRINGW);
  return id;
}

CFindReplaceDialog* CFindReplaceDialog::create(bool findOnly, std::string_view findWhat,
                                               std::string_view replaceWith, DWORD flags, HWND owner,
                                               int maxLength) {
  auto* dialog = new CFindReplaceDialog;
  // The system takes the field sizes as 16-bit counts: a larger one would
  // wrap round to a size that does not match the buffer.
  const size_t capacity = std::min<size_t>(static_cast<size_t>(std::max(maxLength, 1)) + 1, 0xFFFF);
  auto fill = [capacity](std::vector<wchar_t>& buffer, std::string_view text) {
    buffer.assign(capacity, L'\0');
    const std::wstring wide = orka::widen(text);
    std::copy_n(wide.begin(), std::min(wide.size(), capacity - 1), buffer.begin());
  };
  fill(dialog->findBuffer_, findWhat);
  fill(dialog->replaceBuffer_, replaceWith);
  dialog->findOnly_ = findOnly;
  FINDREPLACEW& fr = dialog->fr_;
  fr.lStructSize = sizeof fr;
  fr.hwndOwner = owner;
  fr.hInstance = resourceInstance();
  fr.Flags = flags;
  fr.lpstrFindWhat = dialog->findBuffer_.data();
  fr.lpstrReplaceWith = dialog->replaceBuffer_.data();
  // Counted in characters: a system that counts bytes uses half the room.
  fr.wFindWhatLen = static_cast<WORD>(capacity);
  fr.wReplaceWithLen = static_cast<WORD>(capacity);
  fr.lCustData = reinterpret_cast<LPARAM>(dialog);

  HWND hwnd = findOnly ? FindTextW(&fr) : ReplaceTextW(&fr);
  if (!hwnd) {
    delete dialog;
    return nullptr;
  }
  // Shown, but not yet painted: that happens from the message loop.
  notifyDialogObserver(hwnd);
  // Without the subclass nothing would delete the object or unregister the
  // window when the dialog closes.
  if (!SetWindowSubclass(hwnd, &CFindReplaceDialog::subclassProc, 1, reinterpret_cast<DWORD_PTR>(dialog))) {
    DestroyWindow(hwnd);
    delete dialog;
    return nullptr;
  }
  dialog->hwnd_ = hwnd;
  liveFindDialogs().push_back(dialog);
  if (CWinApp* app = CWinApp::current()) app->addModelessDialog(hwnd);
  return dialog;
}

CFindReplaceDialog* CFindReplaceDialog::fromNotification(LPARAM lParam) {
  // Only a pointer we handed out is trusted; a foreign one is never read.
  for (CFindReplaceDialog* dialog : liveFindDialogs())
    if (reinterpret_cast<LPARAM>(&dialog->fr_) == lParam) return dialog;
  return nullptr;
}

std::string CFindReplaceDialog::findString() const { return orka::narrow(findBuffer_.data()); }

std::string CFindReplaceDialog::replaceString() const { return orka::narrow(replaceBuffer_.data()); }

void CFindReplaceDialog::close() {
  if (hwnd_) SendMessageW(hwnd_, WM_CLOSE, 0, 0);
}

LRESULT CALLBACK CFindReplaceDialog::subclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                                  UINT_PTR id, DWORD_PTR data) {
  const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    auto* dialog = reinterpret_cast<CFindReplaceDialog*>(data);
    RemoveWindowSubclass(hwnd, &CFindReplaceDialog::subclassProc, id);
    if (CWinApp* app = CWinApp::current()) app->removeModelessDialog(hwnd);
    auto& live = liveFindDialogs();
    live.erase(std::remove(live.begin(), live.end(), dialog), live.end());
    delete dialog;
  }
  return result;
}

}  // namespace fw
