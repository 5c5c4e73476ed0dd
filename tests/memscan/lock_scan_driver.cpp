// The Windows half of the memory scan after Lock (lock_scan_test.sh holds
// the Linux half, which reads the editor's memory).
//
//   lock_scan_driver SCRATCH PASSWORD MARKER classic|strong
//
// SCRATCH (a Linux path) holds a copy of Tolvane.exe.  The driver writes a
// document of that format there, starts the editor on it, types the password
// and a marker into the real windows one WM_CHAR at a time (as a keyboard
// does: text sent whole from another process would leave the system's own
// copies behind), saves, and then goes through three stages, each announced
// with a file and released by one from the scanner:
//   "stage-unlocked" ... "go-lock"   the document is open and saved
//   "stage-locked"   ... "go-new"    the document is locked
//   "stage-new"      ... "go-exit"   unlocked (the password typed again),
//                                    then replaced by File > New
// and ends the editor with Exit.  Exit code 0 when every step happened.
#include <windows.h>

#include <cstdio>
#include <string>

#include "document/document.h"
#include "document/strong_document.h"
#include "orka/text/codepage.h"
#include "orka/text/wide.h"

namespace {

constexpr UINT kNew = 40001, kSave = 40003, kExit = 40007, kLock = 40040;
constexpr int kPasswordField = 1004, kEditId = 1013;

std::wstring scratch;
DWORD editorProcess = 0;

std::wstring inScratch(const wchar_t* name) { return scratch + L"\\" + name; }

template <typename Check>
bool waitFor(Check check, int seconds = 60) {
  for (int i = 0; i < seconds * 20; ++i) {
    if (check()) return true;
    Sleep(50);
  }
  return false;
}

bool fail(const char* what) {
  std::printf("lock_scan_driver: %s\n", what);
  std::fflush(stdout);
  return false;
}

std::wstring titleOf(HWND window) {
  wchar_t title[256] = {};
  GetWindowTextW(window, title, 256);
  return title;
}

// A visible top-level window of the editor's process with this class (null:
// any class) and title.
HWND findWindow(const wchar_t* className, const std::wstring& title) {
  struct Search {
    const wchar_t* className;
    const std::wstring* title;
    HWND found;
  } search{className, &title, nullptr};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        wchar_t name[64] = {};
        GetClassNameW(window, name, 64);
        if (process == editorProcess && IsWindowVisible(window) &&
            (!s->className || std::wstring(name) == s->className) && titleOf(window) == *s->title) {
          s->found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Posted messages arrive in order, so what is posted after these characters
// sees them typed.  (Their count cannot be read back: another process gets
// no length from a password field, and counts bytes in the editor's.)
void post(HWND field, const std::wstring& text) {
  for (wchar_t c : text) PostMessageW(field, WM_CHAR, c, 1);
}

bool announceAndWait(const wchar_t* stage, const wchar_t* go) {
  HANDLE file = CreateFileW(inScratch(stage).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return fail("cannot write a stage file");
  CloseHandle(file);
  return waitFor([&] { return GetFileAttributesW(inScratch(go).c_str()) != INVALID_FILE_ATTRIBUTES; }, 120);
}

FILETIME writeTime(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
  return data.ftLastWriteTime;
}

// Types the password into the editor's password dialog and confirms it.
bool typePassword(const std::wstring& password) {
  HWND dialog = nullptr;
  if (!waitFor([&] { return (dialog = findWindow(L"#32770", L"パスワード入力 [ミルデア]")) != nullptr; }))
    return fail("no password dialog");
  post(GetDlgItem(dialog, kPasswordField), password);
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  return true;
}

bool run(const std::wstring& password, const std::wstring& marker, tolvane::DocumentFormat format) {
  const std::wstring document = inScratch(L"scan.vtxt");
  // A hundred lines before the end, where the marker is typed: the marker
  // then sits deep in the control's blocks.  The start of a freed block is
  // soon reused and cleared, so only a marker past it shows whether freed
  // memory is wiped.
  std::string text;
  for (int line = 0; line < 100; ++line) text += std::string(38, 'x') + "\r\n";
  text += orka::utf8ToCodePage("既存の文", 932).value();
  tolvane::writeDocument(orka::narrow(document),
                         tolvane::newKeyring(format, orka::wideToAnsi(password), tolvane::kCheapestCost),
                         text.data(), static_cast<uint32_t>(text.size()));

  std::wstring commandLine = L"\"" + inScratch(L"Tolvane.exe") + L"\" \"" + document + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, scratch.c_str(),
                      &startup, &process))
    return fail("cannot start the editor");
  editorProcess = process.dwProcessId;
  bool ok = [&] {
    if (!typePassword(password)) return false;

    HWND main = nullptr;
    if (!waitFor([&] { return (main = findWindow(nullptr, L"scan.vtxt - ミルデア")) != nullptr; }))
      return fail("the document did not open");
    PostMessageW(GetDlgItem(main, kEditId), EM_SETSEL, 0x7FFFFFFF, 0x7FFFFFFF);  // to the end
    post(GetDlgItem(main, kEditId), marker);
    const FILETIME before = writeTime(document);
    PostMessageW(main, WM_COMMAND, kSave, 0);
    if (!waitFor([&] {
          const FILETIME now = writeTime(document);
          return CompareFileTime(&before, &now) != 0;
        }))
      return fail("not saved");
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer);
    if (!announceAndWait(L"stage-unlocked", L"go-lock")) return fail("no go-lock");

    PostMessageW(main, WM_COMMAND, kLock, 0);
    if (!waitFor([&] { return titleOf(main) == L"ロック中 - ミルデア"; })) return fail("not locked");
    // Returns once the lock command, heap wipe included, has finished.
    SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer);
    if (!announceAndWait(L"stage-locked", L"go-new")) return fail("no go-new");

    PostMessageW(main, WM_COMMAND, kLock, 0);
    if (!typePassword(password)) return false;
    if (!waitFor([&] { return titleOf(main) == L"scan.vtxt - ミルデア"; })) return fail("not unlocked");
    PostMessageW(main, WM_COMMAND, kNew, 0);
    if (!waitFor([&] { return titleOf(main) == L"無題 - ミルデア"; })) return fail("no new document");
    SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer);
    if (!announceAndWait(L"stage-new", L"go-exit")) return fail("no go-exit");
    PostMessageW(main, WM_COMMAND, kExit, 0);
    return true;
  }();
  if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 1);
    ok = fail("the editor did not end");
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 5) return 2;
  // The Linux folder as wine's Z: drive shows it.
  scratch = L"Z:" + std::wstring(argv[1]);
  for (wchar_t& c : scratch)
    if (c == L'/') c = L'\\';
  const tolvane::DocumentFormat format = std::wstring(argv[4]) == L"strong"
                                             ? tolvane::DocumentFormat::kStrong
                                             : tolvane::DocumentFormat::kClassic;
  return run(argv[2], argv[3], format) ? 0 : 1;
}
