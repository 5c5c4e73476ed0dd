// PassedFileDialog: the Save As dialog.  The system's save dialog with a
// panel below its own controls: three masked fields (the old password, the
// new password and its confirmation) and the check box that chooses the
// strong format, checked at first when `format` is strong.
//
// The panel's checks run when the user confirms a name, before the dialog
// may close, so that a mistake keeps the dialog open with the name and the
// other fields as typed:
//   1. for a document that has a file, the old password must open the
//      document's keyring (for a strong document that is one slow key
//      derivation; an untitled document has no old password: its row is
//      disabled and never looked at);
//   2. the new password and its confirmation must be the same text; if not,
//      the confirmation is emptied and the focus goes to the new password;
//   3. the new password must be representable in the ANSI code page (see
//      password_text.h); if not, the focus goes to the new password.
// Each refusal posts UM_PASSWORD_MISMATCH to the panel, so its message box
// comes after the file dialog has finished handling the confirmation.  Only
// the first failing check speaks.  The system asks before an existing file is
// replaced.
//
// Deriving the key of the old password can throw orka::Error (no machine
// serial number for an empty one, no memory for the derivation); the dialog
// then closes and DoModal rethrows it.
//
// After IDOK, path() is the chosen file (UTF-8), `format` the chosen format
// and `newPassword` the new password as ANSI bytes (empty: the default
// password); it is wiped with the object.  The record must outlive the
// dialog.  The fields warn while Caps Lock is on and are overwritten before
// the dialog closes (password_field.h).
#pragma once

#include <string>

#include "document/strong_document.h"
#include "editor/document/password_field.h"
#include "editor/document/document_record.h"
#include "framework/common_dialogs.h"

// The filter of the Open and Save As dialogs.
constexpr const char* kDocumentFilter = "暗号テキストファイル(*.vtxt)|*.vtxt|全てのファイル(*.*)|*.*||";

// Posted to the password panel: wParam 0 the old password is wrong, 1 the
// confirmation differs, 2 the new password has a character the code page
// cannot hold; lParam 0.
constexpr UINT UM_PASSWORD_MISMATCH = WM_USER + 100;

class PassedFileDialog : public fw::CFileDialog {
 public:
  enum Mismatch { kOldPassword = 0, kConfirmation = 1, kUnrepresentable = 2 };

  PassedFileDialog(const DocumentRecord& document, tolvane::DocumentFormat format, HWND parent);
  ~PassedFileDialog() override;

  const DocumentRecord& document;
  tolvane::DocumentFormat format;
  std::string newPassword;

  BOOL OnInitDialog() override;
  bool OnFileNameOK() override;

 private:
  LRESULT OnPasswordMismatch(WPARAM wParam, LPARAM lParam);
  bool reject(Mismatch why, int focus);

  PasswordFields fields_;
};
