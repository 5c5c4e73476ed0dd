// The association commands without Windows: the helper's command line (read
// back by the helper itself, against its in-memory registry) and what each
// outcome of the helper and each system version leads to.
#include "assoc/association.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "orka/errors/error.h"
#include "tests/tolvreg/mem_registry.h"
#include "tolvreg/helper.h"

namespace assoc {
namespace {

// UTF-8 to wide as the editor converts its line before handing it over.
std::wstring widenUtf8(const std::string& text) {
  std::wstring out;
  for (size_t i = 0; i < text.size();) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    const int extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
    unsigned long code = extra == 0 ? lead : lead & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    out += static_cast<wchar_t>(code);
    i += 1 + extra;
  }
  return out;
}

TEST(AssocCommandLine, RegisterLineSpellsTheNineTokensInOrder) {
  EXPECT_EQ(buildAssocCommandLine(AssocAction::kRegister, "C:\\Program Files\\Tolvane\\Tolvane.exe",
                                  "C:\\PROGRA~1\\Tolvane\\Tolvane.exe"),
            "0 example.jp Tolvane ミルデア テキストを暗号化して保存します。 .vtxt "
            "'\"C:\\Program Files\\Tolvane\\Tolvane.exe\" \"%1\"' \"暗号テキスト ドキュメント\" "
            "C:\\PROGRA~1\\Tolvane\\Tolvane.exe,1");
  const std::string remove = buildAssocCommandLine(AssocAction::kRemove, "C:\\T\\Tolvane.exe", "C:\\T\\Tolvane.exe");
  std::string registering = remove;
  registering[0] = '0';
  EXPECT_EQ(remove[0], '1');
  EXPECT_EQ(registering, buildAssocCommandLine(AssocAction::kRegister, "C:\\T\\Tolvane.exe", "C:\\T\\Tolvane.exe"));
}

// The helper beside the editor at `editor`, whose short form is `shortForm`.
class FakeHelperHost : public tolvreg::HelperHost {
 public:
  FakeHelperHost(std::wstring editor, std::wstring shortForm)
      : editor_(std::move(editor)), shortForm_(std::move(shortForm)) {}
  tolvreg::Registry& registry() override { return registry_; }
  unsigned long majorVersion() override { return 10; }
  void warnNotToRunDirectly() override { ++warnings; }
  std::wstring programFolder() override { return editor_.substr(0, editor_.rfind(L'\\')); }
  std::wstring longPath(const std::wstring& path) override { return path == shortForm_ ? editor_ : path; }

  tolvreg_test::MemRegistry registry_;
  int warnings = 0;

 private:
  std::wstring editor_;
  std::wstring shortForm_;
};

struct PathCase {
  const char* what;
  const char* editor;
  const char* shortForm;  // "" when the volume keeps no short names
  const wchar_t* icon;    // as the helper stores it
};

class LineReadByTheHelper : public testing::TestWithParam<PathCase> {};

// The helper must find the editor's path whole in both the open command and
// the icon, whatever spaces the folder has.
TEST_P(LineReadByTheHelper, StoresTheEditorsOpenCommandAndIcon) {
  const PathCase& c = GetParam();
  FakeHelperHost host(widenUtf8(c.editor), widenUtf8(c.shortForm));
  const std::string line =
      buildAssocCommandLine(AssocAction::kRegister, c.editor, *c.shortForm ? c.shortForm : c.editor);
  ASSERT_EQ(tolvreg::runHelper(widenUtf8(line), host), tolvreg::kExitSuccess) << c.what;
  const std::vector<std::wstring> dump = host.registry_.dump();
  const std::wstring command = L"HKCR\\Tolvane.vtxt\\shell\\open\\command|@=\"" + widenUtf8(c.editor) + L"\" \"%1\"";
  EXPECT_NE(std::find(dump.begin(), dump.end(), command), dump.end()) << c.what;
  EXPECT_NE(std::find(dump.begin(), dump.end(), std::wstring(L"HKCR\\Tolvane.vtxt\\DefaultIcon|@=") + c.icon),
            dump.end())
      << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, LineReadByTheHelper,
    testing::Values(PathCase{"short name without spaces", "C:\\Program Files\\ミルデア\\Tolvane.exe",
                             "C:\\PROGRA~1\\5F7C~1\\Tolvane.exe", L"C:\\PROGRA~1\\5F7C~1\\Tolvane.exe,1"},
                    PathCase{"no short name, no space", "D:\\Tools\\Tolvane.exe", "",
                             L"D:\\Tools\\Tolvane.exe,1"},
                    PathCase{"no short name, spaces", "D:\\My Tools\\テキスト 編集\\Tolvane.exe", "",
                             L"D:\\My Tools\\テキスト 編集\\Tolvane.exe,1"}));

class FakeSystem : public AssocSystem {
 public:
  std::string editorPath() override { return "C:\\Program Files\\Tolvane\\Tolvane.exe"; }
  std::string shortPath(const std::string&) override { return shortForm; }
  uint32_t runAssocHelper(const std::string& parameters) override {
    lines.push_back(parameters);
    return exitCode;
  }
  WindowsVersion windowsVersion() override { return version; }
  bool setAppAsDefaultAll(const std::string& applicationId) override {
    defaultCalls.push_back(applicationId);
    return defaultSucceeds;
  }

  std::string shortForm = "C:\\PROGRA~1\\Tolvane\\Tolvane.exe";
  uint32_t exitCode = 0;
  WindowsVersion version;
  bool defaultSucceeds = true;
  std::vector<std::string> lines;
  std::vector<std::string> defaultCalls;
};

struct OutcomeCase {
  AssocAction action;
  WindowsVersion version;
  uint32_t exitCode;
  bool defaultSucceeds;
  const char* error;  // nullptr: success
  size_t defaultCalls;
};

class Outcome : public testing::TestWithParam<OutcomeCase> {};

TEST_P(Outcome, FollowsTheHelperAndTheSystemVersion) {
  const OutcomeCase& c = GetParam();
  FakeSystem system;
  system.version = c.version;
  system.exitCode = c.exitCode;
  system.defaultSucceeds = c.defaultSucceeds;
  std::optional<std::string> error;
  try {
    if (c.action == AssocAction::kRegister)
      registerAssociation(system);
    else
      unregisterAssociation(system);
  } catch (const orka::Error& e) {
    error = e.message();
  }
  const std::string where = std::to_string(c.version.major) + "." + std::to_string(c.version.minor) +
                            " exit " + std::to_string(c.exitCode);
  EXPECT_EQ(error, c.error ? std::optional<std::string>(c.error) : std::nullopt) << where;
  ASSERT_EQ(system.lines.size(), 1u) << where;
  EXPECT_EQ(system.lines[0][0], c.action == AssocAction::kRegister ? '0' : '1') << where;
  EXPECT_EQ(system.defaultCalls, std::vector<std::string>(c.defaultCalls, "Tolvane")) << where;
}

constexpr AssocAction kReg = AssocAction::kRegister;
constexpr AssocAction kRem = AssocAction::kRemove;
const char kRegisterFailed[] = "関連付けが失敗しました。";

// Windows 8 (6.2) and later refuse the default-programs call although the
// helper has written everything; asking there would report a failure after
// every successful registration.
INSTANTIATE_TEST_SUITE_P(
    Cases, Outcome,
    testing::Values(OutcomeCase{kReg, {5, 1}, 0, false, nullptr, 0},
                    OutcomeCase{kReg, {6, 0}, 0, true, nullptr, 1},
                    OutcomeCase{kReg, {6, 1}, 0, false, kRegisterFailed, 1},
                    OutcomeCase{kReg, {6, 2}, 0, false, nullptr, 0},
                    OutcomeCase{kReg, {10, 0}, 0, false, nullptr, 0},
                    OutcomeCase{kReg, {6, 1}, 2, true, kRegisterFailed, 0},
                    OutcomeCase{kReg, {10, 0}, 1, true, kRegisterFailed, 0},
                    OutcomeCase{kRem, {6, 1}, 0, false, nullptr, 0},
                    OutcomeCase{kRem, {10, 0}, 2, true, "関連付けの解除が失敗しました。", 0}));

TEST(AssocCommandLine, IconFallsBackToTheLongPathWhenThereIsNoShortOne) {
  FakeSystem system;
  system.shortForm.clear();
  registerAssociation(system);
  ASSERT_EQ(system.lines.size(), 1u);
  const std::string& line = system.lines[0];
  EXPECT_EQ(line.substr(line.rfind(" \"")), " \"C:\\Program Files\\Tolvane\\Tolvane.exe,1\"");
}

}  // namespace
}  // namespace assoc
