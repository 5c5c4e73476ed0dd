// A small helper for the screenshot script: finds the running editor's
// window and types into it, or closes it, as a user would.
//
//   editor_typist type TEXT   waits for the window, replaces the selection
//                             of its edit control with TEXT ("\n" starts a
//                             new line)
//   editor_typist close       asks the window to close (the normal path) and
//                             answers "No" when it asks to save the text
//   editor_typist command ID  sends the menu command ID, as a click would
//   editor_typist cancel      waits for a dialog of the editor (such as the
//                             Save As panel) and cancels it
//
// Exit code 0 when done, 1 when no editor window appeared within 30 s,
// 2 for a bad command line.
#include <windows.h>

#include <string>

namespace {

const wchar_t kTitleEnd[] = L" - \u30df\u30eb\u30c7\u30a2";  // " - ミルデア"

BOOL CALLBACK findEditor(HWND hwnd, LPARAM found) {
  wchar_t title[512];
  int length = GetWindowTextW(hwnd, title, 512);
  std::wstring text(title, length > 0 ? length : 0);
  std::wstring end(kTitleEnd);
  if (IsWindowVisible(hwnd) && text.size() >= end.size() &&
      text.compare(text.size() - end.size(), end.size(), end) == 0) {
    *reinterpret_cast<HWND*>(found) = hwnd;
    return FALSE;
  }
  return TRUE;
}

HWND waitForEditor() {
  for (int i = 0; i < 600; ++i) {
    HWND found = nullptr;
    EnumWindows(findEditor, reinterpret_cast<LPARAM>(&found));
    if (found) return found;
    Sleep(50);
  }
  return nullptr;
}

// A shown dialog whose owner is the editor's window, waited for `tries`
// times 50 ms.
HWND waitForDialog(HWND editor, int tries = 600) {
  for (int i = 0; i < tries; ++i) {
    HWND found = nullptr;
    while ((found = FindWindowExW(nullptr, found, L"#32770", nullptr)) != nullptr)
      if (IsWindowVisible(found) && GetWindow(found, GW_OWNER) == editor) return found;
    Sleep(50);
  }
  return nullptr;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  if (__argc < 2) return 2;
  std::wstring command = __wargv[1];
  HWND editor = waitForEditor();
  if (!editor) return 1;
  if (command == L"close") {
    PostMessageW(editor, WM_CLOSE, 0, 0);
    // The sample text was typed, so the editor asks whether to save it.
    if (HWND question = waitForDialog(editor, 100))
      PostMessageW(question, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
    return 0;
  }
  if (command == L"cancel") {
    HWND dialog = waitForDialog(editor);
    if (!dialog) return 1;
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return 0;
  }
  if (command == L"command" && __argc >= 3) {
    PostMessageW(editor, WM_COMMAND, MAKEWPARAM(_wtoi(__wargv[2]), 0), 0);
    return 0;
  }
  if (command != L"type" || __argc < 3) return 2;
  std::wstring text;
  for (const wchar_t* p = __wargv[2]; *p; ++p) {
    if (*p == L'\\' && p[1] == L'n') {
      text += L"\r\n";
      ++p;
    } else {
      text += *p;
    }
  }
  HWND edit = GetDlgItem(editor, 1013);
  if (!edit) return 1;
  SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
  // A sent message does not wake the editor's idle work; a posted one does,
  // so the status bar catches up with the caret as after real typing.
  PostMessageW(editor, WM_NULL, 0, 0);
  return 0;
}
