#include "editor/document/passed_file_dialog.h"

#include <optional>
#include <utility>

#include "editor/dialog_font.h"
#include "editor/document/password_text.h"
#include "orka/crypto/wipe.h"
#include "editor/res/resource.h"
#include "editor/window_host.h"
#include "framework/modal.h"

PassedFileDialog::PassedFileDialog(const DocumentRecord& document, tolvane::DocumentFormat format,
                                   HWND parent)
    : fw::CFileDialog(false, parent),
      document(document),
      format(format),
      fields_(*this, {IDC_OLD_PASSWORD, IDC_NEW_PASSWORD, IDC_CONFIRM_PASSWORD}) {
  setDefaultExtension("vtxt");
  if (!document.path.empty()) setFileName(document.path);
  setFlags(OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT);
  setFlagsEx(OFN_EX_NOPLACESBAR);
  setFilter(kDocumentFilter);
  setPanelTemplate(IDD_SAVE_PASSWORDS);
  onMessage(UM_PASSWORD_MISMATCH, &PassedFileDialog::OnPasswordMismatch);
}

PassedFileDialog::~PassedFileDialog() { orka::secureWipe(newPassword); }

BOOL PassedFileDialog::OnInitDialog() {
  useUiFontIfFaceMissing(hwnd());
  setChecked(IDC_STRONG_FORMAT, format == tolvane::DocumentFormat::kStrong);
  if (document.path.empty()) {
    enableItem(IDC_OLD_PASSWORD_LABEL, false);
    enableItem(IDC_OLD_PASSWORD, false);
  }
  fields_.start();
  return TRUE;
}

bool PassedFileDialog::OnFileNameOK() {
  orka::secureWipe(newPassword);
  if (!document.path.empty()) {
    std::string old = typedPassword(item(IDC_OLD_PASSWORD));
    bool opens = false;
    try {
      opens = document.opensWith(old);
    } catch (...) {
      orka::secureWipe(old);
      throw;
    }
    orka::secureWipe(old);
    if (!opens) return reject(kOldPassword, IDC_OLD_PASSWORD);
  }
  std::string typed = typedPassword(item(IDC_NEW_PASSWORD));
  std::string confirmation = typedPassword(item(IDC_CONFIRM_PASSWORD));
  const bool same = typed == confirmation;
  orka::secureWipe(typed);
  orka::secureWipe(confirmation);
  if (!same) {
    setItemText(IDC_CONFIRM_PASSWORD, "");
    return reject(kConfirmation, IDC_NEW_PASSWORD);
  }
  std::optional<std::string> exact = exactPassword(item(IDC_NEW_PASSWORD));
  if (!exact) return reject(kUnrepresentable, IDC_NEW_PASSWORD);
  // Copied, not moved: a moved short string leaves its bytes behind.
  newPassword.assign(*exact);
  orka::secureWipe(*exact);
  format =
      isChecked(IDC_STRONG_FORMAT) ? tolvane::DocumentFormat::kStrong : tolvane::DocumentFormat::kClassic;
  return fw::CFileDialog::OnFileNameOK();
}

bool PassedFileDialog::reject(Mismatch why, int focus) {
  PostMessageW(hwnd(), UM_PASSWORD_MISMATCH, why, 0);
  focusItem(focus);
  return false;
}

LRESULT PassedFileDialog::OnPasswordMismatch(WPARAM wParam, LPARAM) {
  const char* text = nullptr;
  switch (wParam) {
    case kOldPassword:
      text = "旧パスワードが一致しません。";
      break;
    case kConfirmation:
      text = "パスワードが確認用と一致しません。";
      break;
    case kUnrepresentable:
      text =
          "パスワードに使えない文字が含まれています。\n\n"
          "この文字は保存時に別の文字に置き換わり、異なるパスワードで同じ暗号キーになってしまいます。";
      break;
    default:
      return 0;
  }
  // Owned by the file dialog, which holds the panel.
  fw::messageBox(GetParent(hwnd()), text, kErrorCaption, MB_OK | MB_ICONEXCLAMATION);
  return 0;
}
