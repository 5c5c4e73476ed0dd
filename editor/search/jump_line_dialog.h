// JumpLineDialog: asks for the line to go to (Go to line, dialog 104).
//
// A number field with an up-down control whose range is 1 … m_lineCount.
// m_line is the caret's line going in and, after IDOK, the chosen one, both
// 1-based.  A typed number the control cannot take (empty, 0, above the line
// count) leaves the last valid position in effect: what the arrows showed
// last, or the line it started with.  No message is shown for it.
#pragma once

#include "framework/dialog.h"

class JumpLineDialog : public fw::CDialog {
 public:
  explicit JumpLineDialog(HWND parent);

  int m_line = 1;
  int m_lineCount = 1;

  BOOL OnInitDialog() override;
  void OnOK() override;
};
