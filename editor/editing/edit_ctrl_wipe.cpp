// EditCtrl::wipeText: the control's memory overwritten, for locking.
#include <string>

#include "editor/editing/edit_ctrl.h"

#include "editor/document/secret_memory.h"

namespace {

// The length of the text that undo would bring back, in UTF-16 units.
int undoLength(HWND edit) {
  if (!SendMessageW(edit, EM_CANUNDO, 0, 0)) return 0;
  // Undo twice: the control's single undo is its own redo.
  SendMessageW(edit, EM_UNDO, 0, 0);
  const int length = GetWindowTextLengthW(edit);
  SendMessageW(edit, EM_UNDO, 0, 0);
  return length;
}

}  // namespace

void EditCtrl::wipeText() {
  HWND edit = hwnd();
  // A read-only control refuses to undo; it is about to lose its text anyway.
  SendMessageW(edit, EM_SETREADONLY, FALSE, 0);
  const int textLength = GetWindowTextLengthW(edit);
  const int undo = undoLength(edit);
  // Blanks as long as anything the text or undo buffer held, then deleted
  // undoably: the control copies the deleted blanks over its undo buffer.
  std::wstring blanks(static_cast<size_t>((textLength > undo ? textLength : undo) + 1), L' ');
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(blanks.c_str()));
  SendMessageW(edit, EM_SETSEL, 0, -1);
  SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L""));
  // The whole text buffer, free room included.
  if (HLOCAL buffer = reinterpret_cast<HLOCAL>(SendMessageW(edit, EM_GETHANDLE, 0, 0))) {
    if (void* bytes = LocalLock(buffer)) {
      SecureZeroMemory(bytes, LocalSize(buffer));
      LocalUnlock(buffer);
    }
  }
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
  SendMessageW(edit, EM_EMPTYUNDOBUFFER, 0, 0);
  SendMessageW(edit, EM_SETMODIFY, FALSE, 0);

  mirror_.wipe();
  mirrorValid_ = false;
  ++generation_;
  if (ansi_ && ansi_.use_count() == 1) {
    wipeString(*const_cast<std::string*>(ansi_.get()));
  }
  ansi_.reset();
}
