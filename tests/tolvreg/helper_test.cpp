#include "tolvreg/helper.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_paths.h"
#include "mem_registry.h"

namespace tolvreg {
namespace {

using tolvreg_test::MemRegistry;
using Lines = std::vector<std::wstring>;

const wchar_t kTail[] =
    L" example.jp Tolvane ミルデア テキストを暗号化して保存します。 .vtxt '\"C:\\Program Files\\T\\Tolvane.exe\" "
    L"\"%1\"' \"暗号テキスト ドキュメント\" C:\\PROGRA~1\\T\\Tolvane.exe,1";
const std::wstring kRegisterLine = std::wstring(L"0") + kTail;
const std::wstring kRemoveLine = std::wstring(L"1") + kTail;

const Lines kFileTypeEntries = {
    L"HKCR\\Tolvane.vtxt",
    L"HKCR\\Tolvane.vtxt\\DefaultIcon",
    L"HKCR\\Tolvane.vtxt\\DefaultIcon|@=C:\\PROGRA~1\\T\\Tolvane.exe,1",
    L"HKCR\\Tolvane.vtxt\\shell",
    L"HKCR\\Tolvane.vtxt\\shell\\open",
    L"HKCR\\Tolvane.vtxt\\shell\\open\\command",
    L"HKCR\\Tolvane.vtxt\\shell\\open\\command|@=\"C:\\Program Files\\T\\Tolvane.exe\" \"%1\"",
    L"HKCR\\Tolvane.vtxt\\shell|@=open",
    L"HKCR\\Tolvane.vtxt|@=暗号テキスト ドキュメント",
};

const Lines kVistaOnlyEntries = {
    L"HKLM\\SOFTWARE",
    L"HKLM\\SOFTWARE\\RegisteredApplications",
    L"HKLM\\SOFTWARE\\RegisteredApplications|Tolvane=SOFTWARE\\example.jp\\Tolvane\\Capabilities",
    L"HKLM\\SOFTWARE\\example.jp",
    L"HKLM\\SOFTWARE\\example.jp\\Tolvane",
    L"HKLM\\SOFTWARE\\example.jp\\Tolvane\\Capabilities",
    L"HKLM\\SOFTWARE\\example.jp\\Tolvane\\Capabilities\\FileAssociations",
    L"HKLM\\SOFTWARE\\example.jp\\Tolvane\\Capabilities\\FileAssociations|.vtxt=Tolvane.vtxt",
    L"HKLM\\SOFTWARE\\example.jp\\Tolvane\\Capabilities|ApplicationDescription=テキストを暗号化して保存します。",
    L"HKLM\\SOFTWARE\\example.jp\\Tolvane\\Capabilities|ApplicationName=ミルデア",
    L"HKLM\\SOFTWARE\\example.jp\\Tolvane|LocalizedString=ミルデア",
};

Lines sorted(Lines a, const Lines& b = {}) {
  a.insert(a.end(), b.begin(), b.end());
  std::sort(a.begin(), a.end());
  return a;
}

class FakeHost : public HelperHost {
 public:
  explicit FakeHost(unsigned long major) : major_(major) {}
  Registry& registry() override { return registry_; }
  unsigned long majorVersion() override { return major_; }
  void warnNotToRunDirectly() override { ++warnings_; }
  std::wstring programFolder() override { return L"C:\\Program Files\\T"; }
  std::wstring longPath(const std::wstring& path) override { return tolvreg_test::fakeLongPath(path); }

  MemRegistry& mem() { return registry_; }
  int warnings() const { return warnings_; }

  ExitCode run(const std::wstring& line) {
    const ExitCode code = runHelper(line, *this);
    EXPECT_EQ(registry_.openHandles(), 0u) << "a key was left open";
    return code;
  }

 private:
  unsigned long major_;
  MemRegistry registry_;
  int warnings_ = 0;
};

constexpr unsigned long kXp = 5;
constexpr unsigned long kVista = 6;

// Besides lines that do not parse, the helper (which runs with administrator
// rights) refuses every line that points anywhere but at the editor's own
// association.
TEST(Helper, RefusedLineWarnsOnceExitsOneAndTouchesNothing) {
  const std::wstring lines[] = {
      L"0 example.jp Tolvane ミルデア 説明 vtxt o t i",
      L"1 Microsoft Windows a b .c 'd' \"e\" f",
      L"1 example.com Tolvane ミルデア 説明 .vtxt o t i",
      L"1 example.jp\\.. Tolvane ミルデア 説明 .vtxt o t i",
      L"1 example.jp Other ミルデア 説明 .vtxt o t i",
      L"1 example.jp tolvane ミルデア 説明 .vtxt o t i",
      L"1 example.jp Tolvane ミルデア 説明 .txt o t i",
      L"1 example.jp Tolvane ミルデア 説明 .VTXT o t i",
  };
  for (const std::wstring& line : lines) {
    FakeHost host(kVista);
    EXPECT_EQ(host.run(line), kExitInvalidCommandLine) << line;
    EXPECT_EQ(host.warnings(), 1) << line;
    EXPECT_TRUE(host.mem().calls().empty()) << line;
  }
}

// A registering line with the editor's vendor, id and extension and the
// given texts, open command (token 7, passed apostrophe-quoted) and icon.
std::wstring registerLine(const std::wstring& texts, const std::wstring& command, const std::wstring& icon) {
  const size_t split = texts.find(L'|');
  return L"0 example.jp Tolvane " + texts.substr(0, split) + L" .vtxt '" + command + L"' " +
         texts.substr(split + 1) + L" " + icon;
}

const wchar_t kTexts[] = L"ミルデア テキストを暗号化して保存します。|\"暗号テキスト ドキュメント\"";
const wchar_t kCommand[] = L"\"C:\\Program Files\\T\\Tolvane.exe\" \"%1\"";
const wchar_t kIcon[] = L"\"C:\\Program Files\\T\\Tolvane.exe,1\"";

// Whoever can start the helper could otherwise make every user's documents
// open in a program of their choosing once the elevation prompt is approved.
TEST(Helper, RegisteringAnythingButTheEditorBesideTheHelperIsRefused) {
  const std::wstring lines[] = {
      registerLine(kTexts, L"\"C:\\Users\\Public\\evil.exe\" \"%1\"", kIcon),
      registerLine(kTexts, L"\"C:\\Users\\Public\\Tolvane.exe\" \"%1\"", kIcon),
      registerLine(kTexts, L"\"C:\\Program Files\\T\\Tolvane.exe\" \"%1\" /x", kIcon),
      registerLine(kTexts, L"\"C:\\Program Files\\T\\Tolvane.exe\" %1", kIcon),
      registerLine(kTexts, L"\"C:\\Program Files\\T\\Tolvane.exe\"\" \"%1\"", kIcon),
      registerLine(kTexts, L"\"Tolvane.exe\" \"%1\"", kIcon),
      registerLine(kTexts, L"\"C:\\Program Files\\T\\sub\\Tolvane.exe\" \"%1\"", kIcon),
      registerLine(kTexts, kCommand, L"C:\\Users\\Public\\evil.exe,1"),
      registerLine(kTexts, kCommand, L"\"C:\\Program Files\\T\\Tolvane.exe,0\""),
      registerLine(kTexts, kCommand, L"\"C:\\Program Files\\T\\Tolvane.exe\""),
      registerLine(kTexts, kCommand, L"Tolvane.exe,1"),
      registerLine(L"ミルデア2 テキストを暗号化して保存します。|\"暗号テキスト ドキュメント\"", kCommand, kIcon),
      registerLine(L"ミルデア 説明|\"暗号テキスト ドキュメント\"", kCommand, kIcon),
      registerLine(L"ミルデア テキストを暗号化して保存します。|文書", kCommand, kIcon),
  };
  for (const std::wstring& line : lines) {
    FakeHost host(kVista);
    EXPECT_EQ(host.run(line), kExitInvalidCommandLine) << line;
    EXPECT_EQ(host.warnings(), 1) << line;
    EXPECT_TRUE(host.mem().calls().empty()) << line;
  }
}

// The editor names itself by its short path where the volume keeps short
// names; a path differs from the helper's own only in spelling.
TEST(Helper, TheEditorIsRecognisedInShortLongAndOtherCaseSpellings) {
  const std::wstring lines[] = {
      registerLine(kTexts, kCommand, kIcon),
      registerLine(kTexts, kCommand, L"C:\\PROGRA~1\\T\\Tolvane.exe,1"),
      registerLine(kTexts, L"\"C:\\PROGRA~1\\T\\Tolvane.exe\" \"%1\"", kIcon),
      registerLine(kTexts, L"\"c:\\program files\\t\\TOLVANE.EXE\" \"%1\"", L"\"C:\\Program Files\\T\\tolvane.exe,1\""),
  };
  for (const std::wstring& line : lines) {
    FakeHost host(kVista);
    EXPECT_EQ(host.run(line), kExitSuccess) << line;
  }
}

TEST(Helper, VistaAndLaterRegisterCapabilitiesAndFileTypeButNoExtensionKey) {
  for (unsigned long major : {6ul, 10ul}) {
    FakeHost host(major);
    ASSERT_EQ(host.run(kRegisterLine), kExitSuccess);
    EXPECT_EQ(host.mem().dump(), sorted(kVistaOnlyEntries, kFileTypeEntries)) << major;
    // Registering again rewrites the same entries.
    ASSERT_EQ(host.run(kRegisterLine), kExitSuccess);
    EXPECT_EQ(host.mem().dump(), sorted(kVistaOnlyEntries, kFileTypeEntries)) << major;
    EXPECT_EQ(host.warnings(), 0);
  }
}

TEST(Helper, LegacyRegisterWritesExtensionKeyAndFileTypeOnly) {
  FakeHost host(kXp);
  ASSERT_EQ(host.run(kRegisterLine), kExitSuccess);
  EXPECT_EQ(host.mem().dump(), sorted(kFileTypeEntries, {L"HKCR\\.vtxt", L"HKCR\\.vtxt|@=Tolvane.vtxt"}));
}

TEST(Helper, VistaRemoveTakesTheWholeTreesAndLeavesVendorKeyAndNeighbours) {
  FakeHost host(kVista);
  MemRegistry& reg = host.mem();
  ASSERT_EQ(host.run(kRegisterLine), kExitSuccess);
  // What the user or other programs added beside and below our entries.
  reg.addValue(L"HKCR\\Tolvane.vtxt\\shell\\print\\command", L"", L"print %1");
  reg.addValue(L"HKCR\\Tolvane.vtxt\\shell\\print\\ddeexec\\application", L"", L"T");
  reg.addValue(L"HKLM\\SOFTWARE\\example.jp\\Tolvane\\Capabilities\\UrlAssociations", L"x", L"y");
  reg.addValue(L"HKLM\\SOFTWARE\\example.jp\\Other", L"", L"kept");
  reg.addValue(L"HKLM\\SOFTWARE\\RegisteredApplications", L"Other", L"kept");

  ASSERT_EQ(host.run(kRemoveLine), kExitSuccess);
  EXPECT_EQ(reg.dump(), sorted({
                            L"HKLM\\SOFTWARE",
                            L"HKLM\\SOFTWARE\\RegisteredApplications",
                            L"HKLM\\SOFTWARE\\RegisteredApplications|Other=kept",
                            L"HKLM\\SOFTWARE\\example.jp",
                            L"HKLM\\SOFTWARE\\example.jp\\Other",
                            L"HKLM\\SOFTWARE\\example.jp\\Other|@=kept",
                        }));
}

TEST(Helper, VistaRemoveLeavesTheEmptyVendorKey) {
  FakeHost host(kVista);
  ASSERT_EQ(host.run(kRegisterLine), kExitSuccess);
  ASSERT_EQ(host.run(kRemoveLine), kExitSuccess);
  EXPECT_EQ(host.mem().dump(), sorted({L"HKLM\\SOFTWARE", L"HKLM\\SOFTWARE\\RegisteredApplications",
                                       L"HKLM\\SOFTWARE\\example.jp"}));
}

TEST(Helper, LegacyRemoveTakesTheWholeExtensionKeyAndTheFileType) {
  FakeHost host(kXp);
  MemRegistry& reg = host.mem();
  ASSERT_EQ(host.run(kRegisterLine), kExitSuccess);
  reg.addValue(L"HKCR\\.vtxt\\OpenWithProgids", L"Other.vtxt", L"");
  reg.addValue(L"HKCR\\.txt", L"", L"txtfile");
  ASSERT_EQ(host.run(kRemoveLine), kExitSuccess);
  EXPECT_EQ(reg.dump(), sorted({L"HKCR\\.txt", L"HKCR\\.txt|@=txtfile"}));
}

// A subkey that is listed but cannot be opened used to count as removed and
// be listed again for ever, freezing the editor that waits for the helper.
TEST(Helper, RemoveStopsWithExitCodeTwoAtAKeyItCannotOpen) {
  for (unsigned long major : {kXp, kVista}) {
    FakeHost host(major);
    ASSERT_EQ(host.run(kRegisterLine), kExitSuccess);
    host.mem().addDanglingLink(L"HKCR\\Tolvane.vtxt\\shell\\open\\link");
    EXPECT_EQ(host.run(kRemoveLine), kExitRegistryFailure) << major;
    EXPECT_LT(host.mem().calls().size(), 100u) << major;
  }
}

TEST(Helper, RemovingWhatIsNotThereSucceedsAndCreatesNothing) {
  for (unsigned long major : {kXp, kVista}) {
    FakeHost host(major);
    EXPECT_EQ(host.run(kRemoveLine), kExitSuccess) << major;
    EXPECT_EQ(host.run(kRemoveLine), kExitSuccess) << major;
    EXPECT_TRUE(host.mem().dump().empty()) << major;
  }
  // The parent keys exist but our entries do not.
  FakeHost host(kVista);
  host.mem().addKey(L"HKLM\\SOFTWARE\\example.jp");
  host.mem().addValue(L"HKLM\\SOFTWARE\\RegisteredApplications", L"Other", L"kept");
  EXPECT_EQ(host.run(kRemoveLine), kExitSuccess);
}

struct FailureCase {
  const char* what;
  unsigned long major;
  bool registered;  // whether the run starts from a registered state
  const std::wstring* line;
};

// Injects a failure into every registry call of a run in turn: the run must
// stop right there with exit code 2, without trying anything later.
class FailingCall : public testing::TestWithParam<FailureCase> {};

TEST_P(FailingCall, StopsTheRunWithExitCodeTwo) {
  const FailureCase& c = GetParam();
  auto prepare = [&c](FakeHost* host) {
    if (c.registered) {
      ASSERT_EQ(host->run(kRegisterLine), kExitSuccess);
    }
  };

  FakeHost clean(c.major);
  prepare(&clean);
  const size_t start = clean.mem().calls().size();
  ASSERT_EQ(clean.run(*c.line), kExitSuccess);
  const Lines all(clean.mem().calls().begin() + start, clean.mem().calls().end());
  ASSERT_FALSE(all.empty());

  for (size_t i = 0; i < all.size(); ++i) {
    FakeHost host(c.major);
    prepare(&host);
    host.mem().failAtCall(start + i, kRegAccessDenied);
    EXPECT_EQ(host.run(*c.line), kExitRegistryFailure) << c.what << ": " << all[i];
    const Lines made(host.mem().calls().begin() + start, host.mem().calls().end());
    EXPECT_EQ(made, Lines(all.begin(), all.begin() + i + 1)) << c.what << ": " << all[i];
  }
}

INSTANTIATE_TEST_SUITE_P(EveryCall, FailingCall,
                         testing::Values(FailureCase{"register, Vista", kVista, false, &kRegisterLine},
                                         FailureCase{"register, legacy", kXp, false, &kRegisterLine},
                                         FailureCase{"remove, Vista", kVista, true, &kRemoveLine},
                                         FailureCase{"remove, legacy", kXp, true, &kRemoveLine}));

TEST(Helper, FailedStepKeepsWhatEarlierStepsWrote) {
  FakeHost host(kVista);
  // Call 5 creates RegisteredApplications, after the application's own keys.
  host.mem().failAtCall(5, kRegAccessDenied);
  ASSERT_EQ(host.run(kRegisterLine), kExitRegistryFailure);
  EXPECT_EQ(host.mem().calls()[5], L"create HKLM\\SOFTWARE\\RegisteredApplications");
  EXPECT_TRUE(host.mem().hasKey(L"HKLM\\SOFTWARE\\example.jp\\Tolvane\\Capabilities"));
  EXPECT_FALSE(host.mem().hasKey(L"HKCR\\Tolvane.vtxt"));
}

}  // namespace
}  // namespace tolvreg
