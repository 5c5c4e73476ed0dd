// Runs the real Tolvreg.exe against the registry it runs on (the wine
// prefix's) and reads back what it wrote.  The helper accepts only the
// editor's own association, with the editor beside it, so the tests run a
// copy of it in a folder with spaces beside a stand-in Tolvane.exe, write the
// real entries and remove them again afterwards, because the registry
// outlives the test.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>

#include "support/build_path.h"
#include "tolvreg/association.h"

namespace {

std::wstring builtProgram() { return testing_support::fromBuildPath(TOLVREG_EXE).wstring(); }

// The folder of the copy the tests run, made once for the whole run.
const std::filesystem::path& helperFolder() {
  static const std::filesystem::path folder = [] {
    namespace fs = std::filesystem;
    const fs::path made = fs::temp_directory_path() /
                          (L"tolvreg test " + std::to_wstring(GetCurrentProcessId())) / L"Tolvane Dir";
    fs::create_directories(made);
    fs::copy_file(builtProgram(), made / L"Tolvreg.exe", fs::copy_options::overwrite_existing);
    std::ofstream(made / L"Tolvane.exe").put('\0');
    return made;
  }();
  return folder;
}

std::wstring programPath() { return (helperFolder() / L"Tolvreg.exe").wstring(); }
std::wstring editorPath() { return (helperFolder() / L"Tolvane.exe").wstring(); }

// The short form, as the editor puts it in the icon token.
std::wstring shortForm(const std::wstring& path) {
  wchar_t buffer[MAX_PATH] = {};
  const DWORD length = GetShortPathNameW(path.c_str(), buffer, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::wstring(buffer, length) : path;
}

struct RunResult {
  bool finished = false;
  DWORD exitCode = 0;
};

RunResult runTolvreg(const std::wstring& arguments) {
  const std::wstring program = programPath();
  std::wstring commandLine = L"\"" + program + L"\" " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  RunResult result;
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    ADD_FAILURE() << "cannot start Tolvreg.exe, error " << GetLastError();
    return result;
  }
  if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) {
    result.finished = GetExitCodeProcess(process.hProcess, &result.exitCode) != 0;
  } else {
    TerminateProcess(process.hProcess, 99);
    ADD_FAILURE() << "Tolvreg.exe did not end";
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return result;
}

bool keyExists(HKEY root, const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// A REG_SZ value whose stored size counts exactly its terminating zero;
// nothing when the value is missing or stored otherwise.
std::optional<std::wstring> readString(HKEY root, const std::wstring& path, const wchar_t* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
  wchar_t buffer[1024] = {};
  DWORD type = 0;
  DWORD bytes = sizeof(buffer) - sizeof(wchar_t);
  const LSTATUS status = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
  const std::wstring text(buffer);
  if (bytes != (text.size() + 1) * sizeof(wchar_t)) return std::nullopt;
  return text;
}

const wchar_t kWineAppDefaults[] = L"Software\\Wine\\AppDefaults\\Tolvreg.exe";

class TolvregProgram : public testing::Test {
 protected:
  void SetUp() override {
    // A test that stopped half-way may have left the helper on Windows XP.
    RegDeleteTreeW(HKEY_CURRENT_USER, kWineAppDefaults);
  }

  static void TearDownTestSuite() {
    std::error_code ignored;
    std::filesystem::remove_all(helperFolder().parent_path(), ignored);
  }

  void TearDown() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, kWineAppDefaults);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, (L"SOFTWARE\\" + vendor_).c_str());
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\RegisteredApplications", app_.c_str());
    RegDeleteTreeW(HKEY_CLASSES_ROOT, type_.c_str());
    RegDeleteTreeW(HKEY_CLASSES_ROOT, ext_.c_str());
  }

  std::wstring line(const wchar_t* mode) const {
    return std::wstring(mode) + L" " + vendor_ + L" " + app_ +
           L" ミルデア テキストを暗号化して保存します。 " + ext_ + L" '" + openCommand() +
           L"' \"暗号テキスト ドキュメント\" \"" + icon() + L"\"";
  }

  DWORD run(const std::wstring& arguments) {
    const RunResult result = runTolvreg(arguments);
    EXPECT_TRUE(result.finished);
    return result.exitCode;
  }

  // Makes wine report Windows XP to the helper (and to nothing else).
  void pretendWindowsXp() {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kWineAppDefaults, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    const wchar_t version[] = L"winxp64";
    EXPECT_EQ(
        RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version), sizeof(version)),
        ERROR_SUCCESS);
    RegCloseKey(key);
  }

  std::wstring application() const { return L"SOFTWARE\\" + vendor_ + L"\\" + app_; }

  static std::wstring openCommand() { return L"\"" + editorPath() + L"\" \"%1\""; }
  static std::wstring icon() { return shortForm(editorPath()) + L",1"; }

  const std::wstring vendor_{tolvreg::kVendorKey.begin(), tolvreg::kVendorKey.end()};
  const std::wstring app_ = L"Tolvane";
  const std::wstring ext_ = L".vtxt";
  const std::wstring type_ = L"Tolvane.vtxt";
};

void expectFileType(const std::wstring& type) {
  const std::wstring command = type + L"\\shell\\open\\command";
  EXPECT_EQ(readString(HKEY_CLASSES_ROOT, type, nullptr), L"暗号テキスト ドキュメント");
  EXPECT_EQ(readString(HKEY_CLASSES_ROOT, type + L"\\DefaultIcon", nullptr), shortForm(editorPath()) + L",1");
  EXPECT_EQ(readString(HKEY_CLASSES_ROOT, type + L"\\shell", nullptr), L"open");
  EXPECT_EQ(readString(HKEY_CLASSES_ROOT, command, nullptr), L"\"" + editorPath() + L"\" \"%1\"");
}

TEST_F(TolvregProgram, RegisterWritesEveryEntryOfTheVistaLayout) {
  ASSERT_EQ(run(line(L"0")), 0u);
  const std::wstring capabilities = application() + L"\\Capabilities";
  EXPECT_EQ(readString(HKEY_LOCAL_MACHINE, application(), L"LocalizedString"), L"ミルデア");
  EXPECT_EQ(readString(HKEY_LOCAL_MACHINE, capabilities, L"ApplicationName"), L"ミルデア");
  EXPECT_EQ(readString(HKEY_LOCAL_MACHINE, capabilities, L"ApplicationDescription"),
            L"テキストを暗号化して保存します。");
  EXPECT_EQ(readString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\RegisteredApplications", app_.c_str()), capabilities);
  EXPECT_EQ(readString(HKEY_LOCAL_MACHINE, capabilities + L"\\FileAssociations", ext_.c_str()), type_);
  expectFileType(type_);
  // The editor's default-program call takes the extension, not the helper.
  EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, ext_));
}

TEST_F(TolvregProgram, RemoveTakesEverythingButTheVendorKeyAndMayRunTwice) {
  ASSERT_EQ(run(line(L"0")), 0u);
  HKEY verb = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, (type_ + L"\\shell\\edit\\command").c_str(), 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &verb, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(verb);

  ASSERT_EQ(run(line(L"1")), 0u);
  EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, type_));
  EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, application()));
  EXPECT_FALSE(readString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\RegisteredApplications", app_.c_str()));
  EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\" + vendor_));

  EXPECT_EQ(run(line(L"1")), 0u);
}

TEST_F(TolvregProgram, OnWindowsXpWritesTheExtensionKeyInstead) {
  pretendWindowsXp();
  ASSERT_EQ(run(line(L"0")), 0u);
  EXPECT_EQ(readString(HKEY_CLASSES_ROOT, ext_, nullptr), type_);
  expectFileType(type_);
  EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\" + vendor_));
  EXPECT_FALSE(readString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\RegisteredApplications", app_.c_str()));

  ASSERT_EQ(run(line(L"1")), 0u);
  EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, ext_));
  EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, type_));
}

// A registry link whose target is missing: listed by its parent, but every
// attempt to open it by name fails as "not found".
class DanglingLink {
 public:
  DanglingLink(HKEY parent, const std::wstring& path) {
    const LSTATUS created =
        RegCreateKeyExW(parent, path.c_str(), 0, nullptr, REG_OPTION_VOLATILE | REG_OPTION_CREATE_LINK,
                        KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, &key_, nullptr);
    EXPECT_EQ(created, ERROR_SUCCESS);
    const std::wstring target = L"\\Registry\\Machine\\Software\\TolvaneMissingTarget";
    EXPECT_EQ(RegSetValueExW(key_, L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(target.data()),
                             static_cast<DWORD>(target.size() * sizeof(wchar_t))),
              ERROR_SUCCESS);
  }
  // The registry functions cannot delete a link by name; its own handle can.
  ~DanglingLink() {
    using NtDeleteKeyFn = LONG(WINAPI*)(HANDLE);
    auto ntDeleteKey = reinterpret_cast<NtDeleteKeyFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtDeleteKey")));
    if (key_ && ntDeleteKey) ntDeleteKey(key_);
    if (key_) RegCloseKey(key_);
  }

 private:
  HKEY key_ = nullptr;
};

TEST_F(TolvregProgram, RemoveEndsWithExitCodeTwoAtALinkItCannotOpen) {
  ASSERT_EQ(run(line(L"0")), 0u);
  {
    DanglingLink link(HKEY_CLASSES_ROOT, type_ + L"\\shell\\link");
    EXPECT_EQ(run(line(L"1")), 2u);
  }
  EXPECT_EQ(run(line(L"1")), 0u);
  EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, type_));
}

// Watches for the helper's warning box, notes what it says and presses OK.
class WarningWatcher {
 public:
  WarningWatcher() : thread_([this] { watch(); }) {}
  ~WarningWatcher() {
    stop_ = true;
    thread_.join();
  }

  bool seen() const { return seen_; }
  const std::wstring& text() const { return text_; }
  bool onlyOk() const { return onlyOk_; }

 private:
  void watch() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!stop_ && std::chrono::steady_clock::now() < deadline) {
      if (HWND box = FindWindowW(nullptr, L"ファイル関連付け")) {
        wchar_t text[256] = {};
        // A message box shows its text in the static control 0xFFFF.
        GetDlgItemTextW(box, 0xFFFF, text, 256);
        text_ = text;
        onlyOk_ = GetDlgItem(box, IDOK) != nullptr && GetDlgItem(box, IDCANCEL) == nullptr &&
                  GetDlgItem(box, IDYES) == nullptr;
        seen_ = true;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  }

  std::atomic<bool> stop_{false};
  std::atomic<bool> seen_{false};
  std::wstring text_;
  bool onlyOk_ = false;
  std::thread thread_;
};

TEST_F(TolvregProgram, InvalidCommandLineWarnsAndExitsOneTouchingNothing) {
  std::wstring noDot = line(L"0");
  noDot.replace(noDot.find(ext_), 1, L"");  // the extension loses its dot
  // An editor below a folder named with an apostrophe cannot be passed whole;
  // the helper refuses rather than register a broken open command.
  std::wstring apostrophe = line(L"0");
  apostrophe.replace(apostrophe.find(L"Tolvane Dir"), 11, L"O'Brien");
  // A program other than the editor beside the helper.
  std::wstring elsewhere = line(L"0");
  elsewhere.replace(elsewhere.find(editorPath()), editorPath().size(), L"C:\\Users\\Public\\evil.exe");

  for (const std::wstring& arguments : {std::wstring(), noDot, apostrophe, elsewhere}) {
    WarningWatcher watcher;
    const RunResult result = runTolvreg(arguments);
    EXPECT_EQ(result.exitCode, 1u) << arguments;
    ASSERT_TRUE(watcher.seen()) << arguments;
    EXPECT_EQ(watcher.text(), L"このファイルを直接実行しないで下さい。");
    EXPECT_TRUE(watcher.onlyOk());
  }
  EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\" + vendor_));
  EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, type_));
}

TEST(TolvregImage, IsAWindowlessProgramThatAsksForAdministratorRights) {
  std::ifstream file(std::filesystem::path(builtProgram()), std::ios::binary);
  ASSERT_TRUE(file);
  const std::string image((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  ASSERT_GT(image.size(), sizeof(IMAGE_DOS_HEADER));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image.data());
  ASSERT_LT(static_cast<size_t>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS64), image.size());
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(image.data() + dos->e_lfanew);
  EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);

  HMODULE module = LoadLibraryExW(builtProgram().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  ASSERT_NE(found, nullptr) << "no manifest";
  const char* bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
  const std::string manifest(bytes, SizeofResource(module, found));
  FreeLibrary(module);
  EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos) << manifest;
  EXPECT_NE(manifest.find("uiAccess=\"false\""), std::string::npos) << manifest;
}

}  // namespace
