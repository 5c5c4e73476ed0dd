// The real editor and helper, copied into a folder whose path has spaces,
// driven through the editor's window: View > 設定 > ファイルの関連付け and
// 関連付けの解除, and F1.  The Windows version each program sees is set per
// program in the wine prefix, and what the helper wrote is read back from
// the prefix's registry.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#include "support/build_path.h"

namespace {

namespace fs = std::filesystem;

constexpr UINT kAssociate = 40026;
constexpr UINT kUnassociate = 40027;
constexpr UINT kHelpContents = 40023;
constexpr int kEditId = 1013;

using testing_support::fromBuildPath;

std::optional<std::wstring> readString(HKEY root, const std::wstring& path, const wchar_t* name) {
  wchar_t buffer[1024] = {};
  DWORD bytes = sizeof(buffer) - sizeof(wchar_t);
  if (RegGetValueW(root, path.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &bytes) != ERROR_SUCCESS)
    return std::nullopt;
  return std::wstring(buffer);
}

bool keyExists(HKEY root, const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

void removeAssociationKeys() {
  RegDeleteTreeW(HKEY_CLASSES_ROOT, L"Tolvane.vtxt");
  RegDeleteTreeW(HKEY_CLASSES_ROOT, L".vtxt");
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\example.jp");
  RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\RegisteredApplications", L"Tolvane");
}

// Makes wine report `version` ("win10", "win7", "winxp64") to one program.
void setWineVersion(const wchar_t* program, const wchar_t* version) {
  const std::wstring path = std::wstring(L"Software\\Wine\\AppDefaults\\") + program;
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, path.c_str(), L"Version", REG_SZ, version,
                            static_cast<DWORD>((wcslen(version) + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
}

template <typename Found>
bool waitFor(Found found, int seconds = 30) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < deadline) {
    if (found()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return false;
}

std::wstring windowText(HWND hwnd) {
  wchar_t text[512] = {};
  GetWindowTextW(hwnd, text, 512);
  return text;
}

std::wstring className(HWND hwnd) {
  wchar_t name[128] = {};
  GetClassNameW(hwnd, name, 128);
  return name;
}

struct Box {
  std::wstring caption;
  std::wstring text;
  bool ownedByMainWindow = false;
};

// A running Tolvane.exe and its main window.
class Editor {
 public:
  explicit Editor(const fs::path& exe) {
    std::wstring commandLine = L"\"" + exe.wstring() + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process_)) {
      ADD_FAILURE() << "cannot start the editor, error " << GetLastError();
      return;
    }
    waitFor([this] { return (main_ = topWindow(L"無題 - ミルデア")) != nullptr; });
    EXPECT_NE(main_, nullptr) << "the editor showed no window";
  }

  ~Editor() {
    if (!process_.hProcess) return;
    if (main_) PostMessageW(main_, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_.hProcess, 30000) != WAIT_OBJECT_0) {
      ADD_FAILURE() << "the editor did not close";
      TerminateProcess(process_.hProcess, 99);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }

  bool running() const { return main_ != nullptr; }

  // Chooses a menu command and answers the box it ends with.
  std::optional<Box> commandEndingInBox(UINT id) {
    PostMessageW(main_, WM_COMMAND, id, 0);
    HWND box = nullptr;
    if (!waitFor([&] { return (box = ownedWindow(L"#32770")) != nullptr; })) return std::nullopt;
    Box seen;
    seen.caption = windowText(box);
    wchar_t text[512] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 512);  // a message box's text control
    seen.text = text;
    seen.ownedByMainWindow = GetWindow(box, GW_OWNER) == main_;
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    waitFor([box] { return !IsWindow(box); });
    return seen;
  }

  void command(UINT id) { PostMessageW(main_, WM_COMMAND, id, 0); }

  // Whether the keyboard focus is (or comes back) in the edit control.
  bool focusInEditControl() {
    return waitFor(
        [this] {
          GUITHREADINFO info = {};
          info.cbSize = sizeof(info);
          return GetGUIThreadInfo(process_.dwThreadId, &info) && info.hwndFocus &&
                 GetDlgCtrlID(info.hwndFocus) == kEditId && GetParent(info.hwndFocus) == main_;
        },
        5);
  }

  // The class and title of each visible top-level window of the editor.
  std::string describeWindows() const {
    struct Search {
      DWORD pid;
      std::wstring text;
    } search{process_.dwProcessId, L""};
    EnumWindows(
        [](HWND hwnd, LPARAM param) -> BOOL {
          auto* s = reinterpret_cast<Search*>(param);
          DWORD pid = 0;
          GetWindowThreadProcessId(hwnd, &pid);
          if (pid == s->pid && IsWindowVisible(hwnd))
            s->text += L"[" + className(hwnd) + L" \"" + windowText(hwnd) + L"\"] ";
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    std::string utf8(search.text.size() * 3, '\0');
    utf8.resize(WideCharToMultiByte(CP_UTF8, 0, search.text.data(), static_cast<int>(search.text.size()),
                                    utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr));
    return utf8;
  }

  // A top-level window of the editor's process with this class.
  HWND topLevel(const wchar_t* windowClass) const { return find(windowClass, nullptr, false); }

 private:
  HWND topWindow(const wchar_t* title) const { return find(nullptr, title, false); }
  HWND ownedWindow(const wchar_t* windowClass) const { return find(windowClass, nullptr, true); }

  HWND find(const wchar_t* windowClass, const wchar_t* title, bool owned) const {
    struct Search {
      DWORD pid;
      const wchar_t* windowClass;
      const wchar_t* title;
      bool owned;
      HWND main;
      HWND found;
    } search{process_.dwProcessId, windowClass, title, owned, main_, nullptr};
    EnumWindows(
        [](HWND hwnd, LPARAM param) -> BOOL {
          auto* s = reinterpret_cast<Search*>(param);
          DWORD pid = 0;
          GetWindowThreadProcessId(hwnd, &pid);
          if (pid != s->pid || hwnd == s->main || !IsWindowVisible(hwnd)) return TRUE;
          if (s->windowClass && className(hwnd) != s->windowClass) return TRUE;
          if (s->title && windowText(hwnd) != s->title) return TRUE;
          s->found = hwnd;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  PROCESS_INFORMATION process_ = {};
  HWND main_ = nullptr;
};

class AssocProgram : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    folder_ = fs::path(temp) / (L"tolvane assoc " + std::to_wstring(GetCurrentProcessId())) / L"Tolvane Dir";
    fs::create_directories(folder_);
    fs::copy_file(fromBuildPath(TOLVANE_EXE), folder_ / L"Tolvane.exe", fs::copy_options::overwrite_existing);
  }

  static void TearDownTestSuite() {
    std::error_code ignored;
    fs::remove_all(folder_.parent_path(), ignored);
  }

  void SetUp() override {
    removeAssociationKeys();
    fs::copy_file(fromBuildPath(TOLVREG_EXE), helper(), fs::copy_options::overwrite_existing);
  }

  void TearDown() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\Tolvane.exe");
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\Tolvreg.exe");
    removeAssociationKeys();
  }

  // Both programs see this Windows version.
  void runOn(const wchar_t* version) {
    setWineVersion(L"Tolvane.exe", version);
    setWineVersion(L"Tolvreg.exe", version);
  }

  static fs::path editor() { return folder_ / L"Tolvane.exe"; }
  static fs::path helper() { return folder_ / L"Tolvreg.exe"; }

  static void expectFileType() {
    EXPECT_EQ(readString(HKEY_CLASSES_ROOT, L"Tolvane.vtxt\\shell\\open\\command", nullptr),
              L"\"" + editor().wstring() + L"\" \"%1\"");
    // The icon is the short path where the volume has one, else the long one.
    wchar_t shortPath[MAX_PATH] = {};
    const std::wstring icon =
        GetShortPathNameW(editor().c_str(), shortPath, MAX_PATH) ? shortPath : editor().wstring();
    EXPECT_EQ(readString(HKEY_CLASSES_ROOT, L"Tolvane.vtxt\\DefaultIcon", nullptr), icon + L",1");
  }

  static fs::path folder_;
};

fs::path AssocProgram::folder_;

void expectBox(const std::optional<Box>& box, const wchar_t* caption, const wchar_t* text) {
  ASSERT_TRUE(box) << "no message box";
  EXPECT_EQ(box->caption, caption);
  EXPECT_EQ(box->text, text);
  EXPECT_TRUE(box->ownedByMainWindow);
}

TEST_F(AssocProgram, OnWindows10RegisterAndRemoveSucceedFromAFolderWithSpaces) {
  runOn(L"win10");
  Editor tolvane(editor());
  ASSERT_TRUE(tolvane.running());

  expectBox(tolvane.commandEndingInBox(kAssociate), L"確認 [ミルデア]", L"関連付けを行いました。");
  EXPECT_TRUE(tolvane.focusInEditControl());
  expectFileType();
  EXPECT_EQ(readString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\RegisteredApplications", L"Tolvane"),
            L"SOFTWARE\\example.jp\\Tolvane\\Capabilities");

  // Removing twice: the second time there is nothing left, which is fine.
  for (int i = 0; i < 2; ++i) {
    expectBox(tolvane.commandEndingInBox(kUnassociate), L"確認 [ミルデア]", L"関連付けを解除しました。");
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, L"Tolvane.vtxt"));
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\example.jp\\Tolvane"));
  }

  fs::remove(helper());
  expectBox(tolvane.commandEndingInBox(kAssociate), L"エラー [ミルデア]",
            L"関連付け補助ツールの起動に失敗しました。");
  EXPECT_TRUE(tolvane.focusInEditControl());
}

// Windows 7 still takes the default-programs call, which wine does not
// implement: the helper's entries are written, the call then fails.
TEST_F(AssocProgram, OnWindows7TheFailingDefaultProgramsCallIsReported) {
  runOn(L"win7");
  Editor tolvane(editor());
  ASSERT_TRUE(tolvane.running());
  expectBox(tolvane.commandEndingInBox(kAssociate), L"エラー [ミルデア]", L"関連付けが失敗しました。");
  expectFileType();
}

// Before Vista the helper writes the extension key and nothing more is
// asked of the system: had the default-programs call been made, wine would
// have failed it.
TEST_F(AssocProgram, OnWindowsXpRegistrationEndsWithTheHelper) {
  runOn(L"winxp64");
  Editor tolvane(editor());
  ASSERT_TRUE(tolvane.running());
  expectBox(tolvane.commandEndingInBox(kAssociate), L"確認 [ミルデア]", L"関連付けを行いました。");
  EXPECT_EQ(readString(HKEY_CLASSES_ROOT, L".vtxt", nullptr), L"Tolvane.vtxt");
  expectFileType();
  expectBox(tolvane.commandEndingInBox(kUnassociate), L"確認 [ミルデア]", L"関連付けを解除しました。");
  EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, L".vtxt"));
}

// F1 opens the manual beside the program in the system's help viewer, a
// process of its own.
TEST_F(AssocProgram, HelpOpensTheManualBesideTheProgram) {
  const fs::path manual = fromBuildPath(TOLVANE_CHM);
  if (!fs::exists(manual)) GTEST_SKIP() << "the manual was not built (no chmcmd)";
  fs::copy_file(manual, folder_ / L"Tolvane.chm", fs::copy_options::overwrite_existing);
  Editor tolvane(editor());
  ASSERT_TRUE(tolvane.running());
  tolvane.command(kHelpContents);
  HWND viewer = nullptr;
  EXPECT_TRUE(waitFor([&] { return (viewer = FindWindowW(L"HH Parent", nullptr)) != nullptr; }, 30))
      << "the editor shows: " << tolvane.describeWindows();
  if (viewer) PostMessageW(viewer, WM_CLOSE, 0, 0);
}

}  // namespace
