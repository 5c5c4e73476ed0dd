#include "editor/document/input_pass_dialog.h"

#include <utility>

#include "editor/dialog_font.h"
#include "editor/document/password_text.h"
#include "orka/crypto/wipe.h"
#include "editor/res/resource.h"

InputPassDialog::InputPassDialog(std::string path, HWND parent)
    : fw::CDialog(IDD_INPUT_PASSWORD, parent), path(std::move(path)), fields_(*this, {IDC_PASSWORD}) {}

InputPassDialog::~InputPassDialog() { orka::secureWipe(password); }

BOOL InputPassDialog::OnInitDialog() {
  useUiFontIfFaceMissing(hwnd());
  setItemText(IDC_PASSWORD_PATH, path);
  fields_.start();
  return TRUE;
}

void InputPassDialog::OnOK() {
  orka::secureWipe(password);
  password = typedPassword(item(IDC_PASSWORD));
  EndDialog(IDOK);
}
