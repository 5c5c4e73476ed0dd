// The release installer under wine, in a prefix of its own: a silent
// install puts the programs, the Start-menu entry, the uninstall entry and
// the association in place, the installed programs start (the editor
// keeping its settings in the user's profile, since Program Files is not the
// user's to write), and a silent uninstall takes all of it back, keeping
// only the settings files.  An uninstall whose question is answered Yes, as
// a user clicks through it, removes those files and their folder too.
#include <windows.h>

#include <gtest/gtest.h>

#include <shlobj.h>

#include <chrono>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "support/build_path.h"

namespace {

namespace fs = std::filesystem;

using testing_support::fromBuildPath;

fs::path knownFolder(REFKNOWNFOLDERID id) {
  PWSTR path = nullptr;
  fs::path result;
  if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path))) result = path;
  CoTaskMemFree(path);
  return result;
}

// Runs a program to its end; its exit code, or -1 when it could not start or
// did not end in time.
long long run(const fs::path& program, const std::wstring& arguments, PROCESS_INFORMATION* keep = nullptr) {
  std::wstring commandLine = L"\"" + program.wstring() + L"\" " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    return -1;
  if (keep) {
    *keep = process;
    return 0;
  }
  DWORD code = static_cast<DWORD>(-1);
  if (WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code == static_cast<DWORD>(-1) ? -1 : static_cast<long long>(code);
}

template <typename Done>
bool waitFor(Done done, int seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < deadline) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  return false;
}

bool keyExists(HKEY root, const wchar_t* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path, 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

std::wstring readString(HKEY root, const wchar_t* path, const wchar_t* name) {
  wchar_t buffer[1024] = {};
  DWORD bytes = sizeof(buffer) - sizeof(wchar_t);
  RegGetValueW(root, path, name, RRF_RT_REG_SZ, nullptr, buffer, &bytes);
  return buffer;
}

// The editor's main window, when a process of the editor shows one.
HWND editorWindow(DWORD pid) {
  struct Search {
    DWORD pid;
    HWND found;
  } search{pid, nullptr};
  EnumWindows(
      [](HWND hwnd, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        wchar_t title[256] = {};
        GetWindowTextW(hwnd, title, 256);
        if (owner != s->pid || std::wstring(title) != L"無題 - ミルデア") return TRUE;
        s->found = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tolvane";
const wchar_t* const kInstalledFiles[] = {L"Tolvane.exe",   L"Tolvreg.exe", L"vtxt.exe",      L"Tolvane.chm",
                                          L"README-ja.txt", L"LICENSE.txt", L"installed.ini", L"uninstall.exe"};

// The uninstaller as a user runs it: the button that goes on is pressed once
// at each step (Uninstall, then Close) and the question about the settings
// is answered Yes.  Returns once the uninstall entry is gone and no window of
// it is left; whether the question was asked.
bool uninstallAnsweringYes(const fs::path& uninstaller) {
  struct Answers {
    bool open = false;
    bool asked = false;
    std::set<std::wstring> pressed;  // the labels of the buttons pressed so far
  } answers;
  // It hands over to a copy of itself, whose windows are answered below.
  if (run(uninstaller, L"") != 0) return false;
  waitFor(
      [&] {
        answers.open = false;
        EnumWindows(
            [](HWND hwnd, LPARAM param) -> BOOL {
              auto* a = reinterpret_cast<Answers*>(param);
              wchar_t kind[32] = {}, title[256] = {};
              GetClassNameW(hwnd, kind, 32);
              GetWindowTextW(hwnd, title, 256);
              if (std::wstring(kind) != L"#32770" || !IsWindowVisible(hwnd) ||
                  !std::wcsstr(title, L"ミルデア"))
                return TRUE;
              a->open = true;
              if (HWND yes = GetDlgItem(hwnd, IDYES)) {
                if (!a->asked) PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), LPARAM(yes));
                a->asked = true;
              } else if (HWND next = GetDlgItem(hwnd, IDOK); next && IsWindowEnabled(next)) {
                wchar_t label[64] = {};
                GetWindowTextW(next, label, 64);
                if (a->pressed.insert(label).second)
                  PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), LPARAM(next));
              }
              return TRUE;
            },
            reinterpret_cast<LPARAM>(&answers));
        return !answers.open && !keyExists(HKEY_LOCAL_MACHINE, kUninstallKey);
      },
      120);
  return answers.asked;
}

class Installer : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(fs::exists(folder)) << "the prefix already holds an installation";
    fs::remove_all(settings, ignored);
    ASSERT_EQ(run(fromBuildPath(TOLVANE_SETUP), L"/S"), 0);
  }
  void TearDown() override {
    fs::remove_all(folder, ignored);
    fs::remove_all(settings, ignored);
  }

  // Both settings files, as the editor leaves them in the user's profile.
  void writeSettings() {
    fs::create_directories(settings);
    for (const wchar_t* name : {L"tolvane.dat", L"tolvane-security.dat"})
      std::ofstream(settings / name) << "x";
  }

  const fs::path folder = knownFolder(FOLDERID_ProgramFiles) / L"Tolvane";
  const fs::path menu = knownFolder(FOLDERID_CommonPrograms) / L"ミルデア";
  const fs::path settings = knownFolder(FOLDERID_RoamingAppData) / L"Tolvane";
  std::error_code ignored;
};

TEST_F(Installer, SilentInstallAndUninstallLeaveNothingOfTheProgramBehind) {
  for (const wchar_t* name : kInstalledFiles) EXPECT_TRUE(fs::exists(folder / name)) << fs::path(name);
  EXPECT_TRUE(fs::exists(menu / L"ミルデア.lnk"));
  EXPECT_EQ(readString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName"), L"ミルデア");
  // The association was offered and, silently, taken.
  EXPECT_EQ(readString(HKEY_CLASSES_ROOT, L"Tolvane.vtxt\\shell\\open\\command", nullptr),
            L"\"" + (folder / L"Tolvane.exe").wstring() + L"\" \"%1\"");

  // The installed programs start: the tool answers, the editor shows its
  // window and writes its settings file when closed.
  EXPECT_EQ(run(folder / L"vtxt.exe", L"--help"), 0);
  PROCESS_INFORMATION editor = {};
  ASSERT_EQ(run(folder / L"Tolvane.exe", L"", &editor), 0);
  HWND window = nullptr;
  EXPECT_TRUE(waitFor([&] { return (window = editorWindow(editor.dwProcessId)) != nullptr; }, 30));
  if (window) PostMessageW(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(editor.hProcess, 30000) != WAIT_OBJECT_0) TerminateProcess(editor.hProcess, 1);
  CloseHandle(editor.hThread);
  CloseHandle(editor.hProcess);
  EXPECT_TRUE(fs::exists(settings / L"tolvane.dat"));
  EXPECT_FALSE(fs::exists(folder / L"tolvane.dat"));
  writeSettings();

  // The uninstaller hands over to a copy of itself and returns at once.
  ASSERT_EQ(run(folder / L"uninstall.exe", L"/S"), 0);
  EXPECT_TRUE(waitFor([&] { return !fs::exists(folder / L"uninstall.exe"); }, 60));
  EXPECT_TRUE(waitFor([&] { return !keyExists(HKEY_LOCAL_MACHINE, kUninstallKey); }, 30));
  for (const wchar_t* name : kInstalledFiles) EXPECT_FALSE(fs::exists(folder / name)) << fs::path(name);
  EXPECT_FALSE(fs::exists(menu));
  EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, L"Tolvane.vtxt"));
  EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\example.jp\\Tolvane"));
  // Only the user's settings files stay.
  EXPECT_FALSE(fs::exists(folder));
  EXPECT_TRUE(fs::exists(settings / L"tolvane.dat"));
  EXPECT_TRUE(fs::exists(settings / L"tolvane-security.dat"));
}

TEST_F(Installer, UninstallAnsweredYesRemovesBothSettingsFilesAndTheirFolder) {
  writeSettings();
  ASSERT_TRUE(uninstallAnsweringYes(folder / L"uninstall.exe"))
      << "the question about the settings was asked";
  EXPECT_FALSE(fs::exists(folder));
  EXPECT_FALSE(fs::exists(settings / L"tolvane.dat"));
  EXPECT_FALSE(fs::exists(settings / L"tolvane-security.dat"));
  EXPECT_FALSE(fs::exists(settings)) << "the folder, once empty";
}

}  // namespace
