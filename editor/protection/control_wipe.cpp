#include "editor/protection/control_wipe.h"

#include <windows.h>

#include <string>

#include "editor/editing/edit_ctrl.h"

void wipeEditCtrl(EditCtrl& edit) {
  const HWND window = edit.hwnd();
  const int textLength = GetWindowTextLengthW(window);
  int undoLength = 0;
  edit.peekUndo([&] { undoLength = GetWindowTextLengthW(window); });
  // A read-only control refuses to change; writable while it is wiped.
  edit.send(EM_SETREADONLY, FALSE);
  // Blanks as long as anything the text or undo buffer held, then deleted
  // undoably: the control copies the deleted blanks over its undo buffer.
  std::wstring blanks(static_cast<size_t>((textLength > undoLength ? textLength : undoLength) + 1), L' ');
  SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(blanks.c_str()));
  SendMessageW(window, EM_SETSEL, 0, -1);
  SendMessageW(window, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L""));
  // The whole text buffer, free room included.
  if (HLOCAL buffer = reinterpret_cast<HLOCAL>(SendMessageW(window, EM_GETHANDLE, 0, 0))) {
    if (void* bytes = LocalLock(buffer)) {
      SecureZeroMemory(bytes, LocalSize(buffer));
      LocalUnlock(buffer);
    }
  }
  SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
  SendMessageW(window, EM_EMPTYUNDOBUFFER, 0, 0);
  SendMessageW(window, EM_SETMODIFY, FALSE, 0);
  edit.setReadOnly(edit.readOnly());
  edit.wipeCopies();
}
