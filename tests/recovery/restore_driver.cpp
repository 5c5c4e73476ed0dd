// The Windows half of the crash-and-restore test of the recovery copy
// (restore_test.sh holds the Linux half: it reads the recovery folder and
// kills the editor the way a crash would, with nothing run on its side).
//
//   restore_driver SCRATCH classic|strong|untitled one|two bare|document
//                  yes|no|cancel|damaged PASSWORD LINE1 LINE2
//
// SCRATCH (a Linux path) holds a copy of Tolvane.exe, so the editor keeps its
// settings and its recovery folder there.  For a titled case the driver first
// writes a document of that format with PASSWORD and opens it; an untitled
// case starts the editor with nothing.  It types LINE1, a line break and
// LINE2 at the end of the text one WM_CHAR at a time, and then goes through
// these stages, each announced with a file (and some released by one):
//   "stage-typed"                 the marker is in the editor; the other
//                                 side waits for the copy and kills it
//   ... "go-second"               (two) a second editor, started while the
//   "stage-second-checked"        first runs, offered nothing and left the
//                                 first one's copy alone
// Once the killed editor is gone, the editor is started again, with no
// document ("bare") or with the same one.  It must ask about exactly this
// document; "yes" must bring back the text the document held plus the
// marker, marked modified (a titled document asks for its password first),
// "no" must delete the copy, and "cancel" (yes, then Cancel in the password
// dialog) must keep it for another start.
// "damaged": the other side cut the copy short before the kill; the next
// start must say so, ask nothing, and move the copy to recovery\damaged.
// Exit code 0 when every step happened.
#include <windows.h>

#include <cstdio>
#include <string>

#include "document/document.h"
#include "document/strong_document.h"
#include "orka/text/wide.h"

namespace {

constexpr UINT kExit = 40007;
constexpr int kPasswordField = 1004, kEditId = 1013;
// The static control that holds a message box's text.
constexpr int kMessageBoxText = 0xFFFF;

const wchar_t kQuestionCaption[] = L"確認 [ミルデア]";
const wchar_t kUntitled[] = L"無題";
// What a titled document held before anything was typed.
const wchar_t kDocumentText[] = L"既存の本文ﾃｷｽﾄ\r\n二行目 line 2\r\n";

std::wstring scratch;

std::wstring inScratch(const std::wstring& name) { return scratch + L"\\" + name; }

template <typename Check>
bool waitFor(Check check, int seconds = 60) {
  for (int i = 0; i < seconds * 20; ++i) {
    if (check()) return true;
    Sleep(50);
  }
  return false;
}

bool fail(const std::string& what) {
  std::printf("restore_driver: %s\n", what.c_str());
  std::fflush(stdout);
  return false;
}

std::string quoted(const std::wstring& text) { return "\"" + orka::narrow(text) + "\""; }

// A window's text, asked for with a message so that it also reads another
// process's edit control (whose text is its own, not the window's).
std::wstring textOf(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 10000, &length)) return L"";
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                           SMTO_NORMAL, 10000, &copied))
    return L"";
  text.resize(copied);
  return text;
}

std::wstring titleOf(HWND window) {
  wchar_t title[256] = {};
  GetWindowTextW(window, title, 256);
  return title;
}

// Posted messages arrive in order, as a keyboard's characters do.
void type(HWND field, const std::wstring& text) {
  for (wchar_t c : text) PostMessageW(field, WM_CHAR, c, 1);
}

void press(HWND dialog, int button) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
}

bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// How many plain files of the scratch folder match `pattern`.
int filesMatching(const wchar_t* pattern) {
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW(inScratch(pattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  int count = 0;
  do
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++count;
  while (FindNextFileW(search, &found));
  FindClose(search);
  return count;
}

int copiesInRecoveryFolder() { return filesMatching(L"recovery\\*.tvr"); }

bool announce(const wchar_t* stage) {
  HANDLE file = CreateFileW(inScratch(stage).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return fail("cannot write a stage file");
  CloseHandle(file);
  return true;
}

// One editor process; ended when this goes, whatever happened to it before.
class Editor {
 public:
  Editor() = default;
  Editor(const Editor&) = delete;
  Editor& operator=(const Editor&) = delete;
  ~Editor() {
    if (!process_.hProcess) return;
    TerminateProcess(process_.hProcess, 1);
    WaitForSingleObject(process_.hProcess, 10000);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }

  // Starts the editor from the scratch folder, on `document` unless empty.
  bool start(const std::wstring& document) {
    std::wstring commandLine = L"\"" + inScratch(L"Tolvane.exe") + L"\"";
    if (!document.empty()) commandLine += L" \"" + document + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, scratch.c_str(),
                        &startup, &process_))
      return fail("cannot start the editor");
    return true;
  }

  bool endsWithin(int seconds) const {
    return WaitForSingleObject(process_.hProcess, seconds * 1000) == WAIT_OBJECT_0;
  }

  // A visible top-level window of this editor with this class (null: any
  // class) and title, or null.
  HWND window(const wchar_t* className, const std::wstring& title) const {
    struct Search {
      DWORD process;
      const wchar_t* className;
      const std::wstring* title;
      HWND found;
    } search{process_.dwProcessId, className, &title, nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
          auto* s = reinterpret_cast<Search*>(data);
          DWORD process = 0;
          GetWindowThreadProcessId(window, &process);
          wchar_t name[64] = {};
          GetClassNameW(window, name, 64);
          if (process == s->process && IsWindowVisible(window) &&
              (!s->className || std::wstring(name) == s->className) && titleOf(window) == *s->title) {
            s->found = window;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  HWND waitForWindow(const wchar_t* className, const std::wstring& title) const {
    HWND found = nullptr;
    waitFor([&] { return (found = window(className, title)) != nullptr; });
    return found;
  }

  // Types the password into the password dialog and confirms it.
  bool enterPassword(const std::wstring& password) const {
    HWND dialog = waitForWindow(L"#32770", L"パスワード入力 [ミルデア]");
    if (!dialog) return fail("no password dialog");
    type(GetDlgItem(dialog, kPasswordField), password);
    press(dialog, IDOK);
    return true;
  }

 private:
  PROCESS_INFORMATION process_{};
};

bool visibleButton(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  return button && IsWindowVisible(button);
}

// The edit control of the main window titled `title`, once both are there.
HWND waitForEdit(const Editor& editor, const std::wstring& title) {
  HWND edit = nullptr;
  waitFor([&] {
    HWND main = editor.window(nullptr, title);
    return main && (edit = GetDlgItem(main, kEditId)) != nullptr;
  });
  if (!edit) fail("no main window titled " + quoted(title));
  return edit;
}

// Waits for the edit control of the main window titled `title` to hold
// `expected`.
bool waitForText(const Editor& editor, const std::wstring& title, const std::wstring& expected, HWND* edit) {
  if (!(*edit = waitForEdit(editor, title))) return false;
  std::wstring text;
  if (waitFor([&] { return (text = textOf(*edit)) == expected; })) return true;
  return fail("the editor holds " + quoted(text) + ", not " + quoted(expected));
}

enum class NextStart { kRestore, kDecline, kCancel, kDamaged };

struct Case {
  tolvane::DocumentFormat format = tolvane::DocumentFormat::kClassic;
  bool titled = false;
  bool secondEditor = false;
  bool restartWithDocument = false;
  NextStart next = NextStart::kRestore;
  std::wstring password;
  std::wstring marker;  // as typed; a line break is '\r', as the Enter key gives

  std::wstring document() const { return titled ? inScratch(L"復元テスト.vtxt") : L""; }
  std::wstring title() const {
    return std::wstring(titled ? L"復元テスト.vtxt" : kUntitled) + L" - ミルデア";
  }
  // What the editor holds once the marker is typed: a line break is two
  // characters in the control.
  std::wstring textAfterTyping() const {
    std::wstring text = titled ? kDocumentText : L"";
    for (wchar_t ch : marker) text += ch == L'\r' ? L"\r\n" : std::wstring(1, ch);
    return text;
  }
};

// A second editor, started while the first runs with its copy written, must
// neither offer that copy nor take, move or delete it.
bool secondEditorLeavesTheCopy() {
  Editor second;
  if (!second.start(L"")) return false;
  HWND edit = waitForEdit(second, L"無題 - ミルデア");
  if (!edit) return fail("the second editor did not start");
  // The question, or an error about the copy, would come within moments of
  // the window; none may come at all.
  if (waitFor(
          [&] {
            return second.window(L"#32770", kQuestionCaption) ||
                   second.window(L"#32770", L"エラー [ミルデア]");
          },
          5))
    return fail("the second editor spoke of the first one's copy");
  if (!textOf(edit).empty()) return fail("the second editor took the first one's copy");
  PostMessageW(GetParent(edit), WM_COMMAND, kExit, 0);
  if (!second.endsWithin(30)) return fail("the second editor did not end");
  if (copiesInRecoveryFolder() != 1) return fail("the first editor's copy did not stay as it was");
  return true;
}

// Opens the document (or none), types the marker and waits for the other
// side to kill the editor once its copy is written.
bool typeAndCrash(const Case& c) {
  Editor first;
  if (c.titled) {
    const std::string text = orka::wideToAnsi(kDocumentText);
    tolvane::writeDocument(
        orka::narrow(c.document()),
        tolvane::newKeyring(c.format, orka::wideToAnsi(c.password), tolvane::kCheapestCost), text.data(),
        static_cast<uint32_t>(text.size()));
  }
  if (!first.start(c.document())) return false;
  if (c.titled && !first.enterPassword(c.password)) return false;
  HWND edit = waitForEdit(first, c.title());
  if (!edit) return fail("the document did not open");
  PostMessageW(edit, EM_SETSEL, 0x7FFFFFFF, 0x7FFFFFFF);  // to the end
  type(edit, c.marker);
  // Read back, so that the copy is only waited for once all is typed.
  if (!waitForText(first, c.title(), c.textAfterTyping(), &edit)) return false;
  if (!announce(L"stage-typed")) return false;
  if (c.secondEditor) {
    if (!waitFor([] { return exists(inScratch(L"go-second")); }, 120)) return fail("no go-second");
    if (!secondEditorLeavesTheCopy() || !announce(L"stage-second-checked")) return false;
  }
  if (!first.endsWithin(120)) return fail("the first editor was not killed");
  return true;
}

// The next start finds the copy cut short: it says so, asks nothing, and
// moves the copy aside.
bool reportsDamaged(const Editor& again) {
  HWND error = again.waitForWindow(L"#32770", L"エラー [ミルデア]");
  if (!error) return fail("no error about the damaged copy");
  const std::wstring said = textOf(GetDlgItem(error, kMessageBoxText));
  if (said != L"復元用のデータが壊れているため、読み込めません。")
    return fail("the error reads " + quoted(said));
  if (again.window(L"#32770", kQuestionCaption)) return fail("a damaged copy was offered");
  press(error, IDOK);
  if (!waitFor([] { return copiesInRecoveryFolder() == 0 && filesMatching(L"recovery\\damaged\\*") == 1; },
               30))
    return fail("the damaged copy was not moved to recovery\\damaged");
  HWND edit = nullptr;
  return waitForText(again, L"無題 - ミルデア", L"", &edit);
}

// Starts the editor with no document; it must ask about this copy, and bring
// the text back or delete the copy as answered.
bool answerNextStart(const Case& c) {
  Editor again;
  if (!again.start(c.restartWithDocument ? c.document() : L"")) return false;
  if (c.next == NextStart::kDamaged) return reportsDamaged(again);
  HWND question = again.waitForWindow(L"#32770", kQuestionCaption);
  if (!question) return fail("no question about the copy");
  const std::wstring asked = textOf(GetDlgItem(question, kMessageBoxText));
  const std::wstring expected = L"前回保存されずに終わった変更があります。\n\n" +
                                (c.titled ? c.document() : std::wstring(kUntitled)) + L"\n\n復元しますか？";
  if (asked != expected) return fail("the question reads " + quoted(asked) + ", not " + quoted(expected));
  if (!visibleButton(question, IDYES) || !visibleButton(question, IDNO) || visibleButton(question, IDOK) ||
      visibleButton(question, IDCANCEL))
    return fail("the question is not a yes/no question");
  press(question, c.next == NextStart::kDecline ? IDNO : IDYES);

  HWND edit = nullptr;
  if (c.next == NextStart::kDecline) {
    if (!waitFor([] { return copiesInRecoveryFolder() == 0; }, 30))
      return fail("the declined copy is still there");
    return waitForText(again, L"無題 - ミルデア", L"", &edit);
  }
  if (c.next == NextStart::kCancel) {
    HWND dialog = again.waitForWindow(L"#32770", L"パスワード入力 [ミルデア]");
    if (!dialog) return fail("no password dialog");
    press(dialog, IDCANCEL);
    // Once the untitled window answers, the start-up offer is over.
    if (!waitForText(again, L"無題 - ミルデア", L"", &edit)) return false;
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(GetParent(edit), WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer);
    if (copiesInRecoveryFolder() != 1) return fail("the copy was not kept after Cancel");
    return true;
  }
  if (c.titled && !again.enterPassword(c.password)) return false;
  if (!waitForText(again, c.title(), c.textAfterTyping(), &edit)) return fail("the text did not come back");
  DWORD_PTR modified = 0;
  SendMessageTimeoutW(edit, EM_GETMODIFY, 0, 0, SMTO_NORMAL, 10000, &modified);
  if (!modified) return fail("the restored text is not marked modified");
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 9) return 2;
  // The Linux folder as wine's Z: drive shows it.
  scratch = L"Z:" + std::wstring(argv[1]);
  for (wchar_t& c : scratch)
    if (c == L'/') c = L'\\';
  const std::wstring document = argv[2];
  Case c;
  c.titled = document != L"untitled";
  c.format = document == L"strong" ? tolvane::DocumentFormat::kStrong : tolvane::DocumentFormat::kClassic;
  c.secondEditor = std::wstring(argv[3]) == L"two";
  c.restartWithDocument = std::wstring(argv[4]) == L"document";
  const std::wstring next = argv[5];
  c.next = next == L"yes"      ? NextStart::kRestore
           : next == L"no"     ? NextStart::kDecline
           : next == L"cancel" ? NextStart::kCancel
                               : NextStart::kDamaged;
  c.password = argv[6];
  c.marker = std::wstring(argv[7]) + L"\r" + argv[8];
  return typeAndCrash(c) && answerNextStart(c) ? 0 : 1;
}
