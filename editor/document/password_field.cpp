#include "editor/document/password_field.h"

#include <commctrl.h>

#include <string>
#include <utility>

#include "framework/dialog.h"
#include "framework/modal.h"
#include "orka/text/wide.h"
#include "editor/res/resource.h"

PasswordFields::PasswordFields(fw::CWnd& dialog, std::vector<int> fieldIds)
    : dialog_(dialog), fieldIds_(std::move(fieldIds)) {
  dialog_.onMessage(WM_TIMER, [this](WPARAM wParam, LPARAM) {
    if (wParam != kTimerId) return dialog_.Default();
    check();
    return LRESULT{0};
  });
  dialog_.onMessage(WM_DESTROY, [this](WPARAM, LPARAM) {
    KillTimer(dialog_.hwnd(), kTimerId);
    scrub();
    return dialog_.Default();
  });
}

void PasswordFields::start() {
  SetTimer(dialog_.hwnd(), kTimerId, 200, nullptr);
  check();
}

void PasswordFields::check() {
  HWND focus = GetFocus();
  HWND field = nullptr;
  for (int id : fieldIds_) {
    HWND candidate = GetDlgItem(dialog_.hwnd(), id);
    if (candidate && candidate == focus) field = candidate;
  }
  const bool capsOn = (GetKeyState(VK_CAPITAL) & 1) != 0;
  HWND warn = capsOn ? field : nullptr;
  if (warn == warnedField_) return;
  if (warnedField_) SendMessageW(warnedField_, EM_HIDEBALLOONTIP, 0, 0);
  warnedField_ = warn;
  if (!warn) return;
  const std::wstring title = orka::widen(fw::loadString(IDS_CAPS_LOCK_TITLE));
  const std::wstring text = orka::widen(fw::loadString(IDS_CAPS_LOCK_TEXT));
  EDITBALLOONTIP tip{};
  tip.cbStruct = sizeof tip;
  tip.pszTitle = title.c_str();
  tip.pszText = text.c_str();
  tip.ttiIcon = TTI_WARNING;
  SendMessageW(warn, EM_SHOWBALLOONTIP, 0, reinterpret_cast<LPARAM>(&tip));
}

void PasswordFields::scrub() {
  for (int id : fieldIds_) scrubPasswordField(GetDlgItem(dialog_.hwnd(), id));
}

void scrubPasswordField(HWND field) {
  if (!field) return;
  const int length = GetWindowTextLengthW(field);
  if (length > 0) {
    // The same length keeps the control's buffer, which the blanks then
    // overwrite; a shorter text could leave the tail of the old one.
    std::wstring blanks(static_cast<size_t>(length), L' ');
    SetWindowTextW(field, blanks.c_str());
  }
  SetWindowTextW(field, L"");
  SendMessageW(field, EM_EMPTYUNDOBUFFER, 0, 0);
}
