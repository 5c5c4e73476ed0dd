// The two association commands of View > 設定: "ファイルの関連付け" and
// "関連付けの解除".
//
// Each runs its operation (assoc/association.h) and reports the outcome in a
// box owned by `owner`: the success text with the information icon, or the
// error's own message with the exclamation icon.  The operation blocks the
// user-interface thread while the helper runs.  The caller gives the focus
// back to the edit control afterwards.
#pragma once

#include <windows.h>

#include "assoc/association.h"

void runAssocCommand(HWND owner, assoc::AssocAction action, assoc::AssocSystem& system = assoc::systemAssoc());
