#include "editor/search/jump_line_dialog.h"

#include <commctrl.h>

#include "editor/res/resource.h"

JumpLineDialog::JumpLineDialog(HWND parent) : fw::CDialog(IDD_JUMP_LINE, parent) {}

BOOL JumpLineDialog::OnInitDialog() {
  fw::CDialog::OnInitDialog();
  HWND spin = item(IDC_JUMP_SPIN);
  SendMessageW(spin, UDM_SETRANGE32, 1, m_lineCount);
  // Also writes the number into the field, the spin's buddy.
  SendMessageW(spin, UDM_SETPOS32, 0, m_line);
  return TRUE;
}

void JumpLineDialog::OnOK() {
  // The spin reads its buddy here and keeps its last position when the
  // typed number is not one it can take.
  BOOL failed = FALSE;
  m_line = static_cast<int>(SendMessageW(item(IDC_JUMP_SPIN), UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&failed)));
  fw::CDialog::OnOK();
}
