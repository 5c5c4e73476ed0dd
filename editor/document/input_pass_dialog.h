// InputPassDialog: asks for the password of a document about to be opened.
//
// The dialog shows the document's full path (read-only, scrolling when
// long) above one masked field, which has the focus when it opens.  OK takes
// whatever was typed, the empty password included (it means the machine's
// default password); there is no check here, a wrong password shows itself
// only when the document fails to open.
//
// `path` is UTF-8; `password` holds, after IDOK, the typed text as ANSI
// bytes converted as the system converts (see password_text.h) and is wiped
// with the object.  The field warns while Caps Lock is on and is overwritten
// before the dialog closes (password_field.h).
#pragma once

#include <string>

#include "editor/document/password_field.h"
#include "framework/dialog.h"

// What the editor says when a password does not open the document, at
// opening and at unlocking alike.
constexpr const char* kWrongPassword = "パスワードが間違っています。";

class InputPassDialog : public fw::CDialog {
 public:
  InputPassDialog(std::string path, HWND parent);
  ~InputPassDialog() override;

  std::string path;
  std::string password;

  BOOL OnInitDialog() override;
  void OnOK() override;

 private:
  PasswordFields fields_;
};
