// The vtxt commands run in process against a scripted console.
#include <gtest/gtest.h>

#include <deque>

#include "document/document.h"
#include "document/machine_serial.h"
#include "document/strong_document.h"
#include "support/temp_dir.h"
#include "tools/vtxt/cli.h"

namespace {

using testing_support::TempDir;

// "日本語のテキスト\r\n二行目です。\r\n" and the password "パスワード".
const std::string kTextUtf8 = "日本語のテキスト\r\n二行目です。\r\n";
const std::string kTextCp932 =
    "\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x83\x65\x83\x4C\x83\x58\x83\x67\r\n"
    "\x93\xF1\x8D\x73\x96\xDA\x82\xC5\x82\xB7\x81\x42\r\n";
const std::string kPasswordCp932 = "\x83\x70\x83\x58\x83\x8F\x81\x5B\x83\x68";
// That text saved under that password by vtxt on Linux; every build must
// read it and write exactly these bytes again, wherever it runs.
const unsigned char kSavedDocument[] = {
    0xd8, 0x16, 0x69, 0xd5, 0xd8, 0xf7, 0xb7, 0x4d, 0x18, 0x0f, 0xf8, 0x14, 0xb9, 0xfd, 0x51, 0xb8,
    0x5f, 0xc2, 0xf0, 0xa7, 0x1e, 0x57, 0xef, 0x9c, 0x6e, 0x54, 0x66, 0xb5, 0xc4, 0xd2, 0x1a, 0xe5,
    0x4b, 0xa9, 0x5c, 0x8b, 0x70, 0x10, 0xd9, 0xca, 0x6e, 0xb6, 0xef, 0x8e, 0x3b, 0xf2, 0x66, 0xed};

class ScriptedConsole : public vtxt::Console {
 public:
  bool readInput(std::string* bytes) override {
    *bytes = input;
    return true;
  }
  bool writeOutput(std::string_view bytes, bool) override {
    out.append(bytes);
    return true;
  }
  void writeError(std::string_view text) override { err.append(text); }
  std::optional<std::string> askPassword(std::string_view prompt) override {
    prompts.emplace_back(prompt);
    if (answers.empty()) return std::nullopt;
    std::string a = answers.front();
    answers.pop_front();
    return a;
  }

  std::string input, out, err;
  std::deque<std::string> answers;  // what is typed at each password prompt
  std::vector<std::string> prompts;
};

class VtxtTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tolvane::setMachineSerialSource([] { return std::optional<std::string>("THIS-MACHINE"); });
    passwordFile = dir.write("pw.txt", "パスワード\n");
    doc = dir.path("doc.vtxt");
  }
  void TearDown() override { tolvane::setMachineSerialSource(nullptr); }

  int run(std::vector<std::string> args, const std::string& input = "", std::deque<std::string> answers = {},
          tolvane::KeyDerivationCost newKeyCost = tolvane::kCheapestCost) {
    console = ScriptedConsole();
    console.input = input;
    console.answers = std::move(answers);
    return vtxt::run(args, console, newKeyCost);
  }

  std::string docText(const std::string& passwordBytes) {
    auto stream = tolvane::readDocument(doc, tolvane::makeDocumentKey(passwordBytes));
    return std::string(reinterpret_cast<const char*>(stream->data()), stream->size() - 1);
  }

  TempDir dir;
  ScriptedConsole console;
  std::string passwordFile, doc;
};

TEST_F(VtxtTest, BadCommandLinesAreUsageErrors) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"open", "x.vtxt"},
      {"cat"},
      {"cat", "a.vtxt", "b.vtxt"},
      {"cat", "--bogus", "a.vtxt"},
      {"cat", "a.vtxt", "--password-file"},
      {"cat", "--new-password-file", "p", "a.vtxt"},
      {"cat", "--codepage", "klingon", "a.vtxt"},
      {"write", "--format", "rot13", "a.vtxt"},
      {"cat", "--format", "strong", "a.vtxt"},
  };
  for (const auto& args : cases) {
    EXPECT_EQ(run(args), vtxt::kUsage) << ::testing::PrintToString(args);
    EXPECT_EQ(console.err.compare(0, 6, "vtxt: "), 0) << console.err;
    EXPECT_NE(console.err.find("vtxt --help"), std::string::npos);
  }
}

TEST_F(VtxtTest, HelpPrintsUsage) {
  EXPECT_EQ(run({"--help"}), vtxt::kSuccess);
  EXPECT_EQ(console.out.compare(0, 12, "Usage: vtxt "), 0);
  EXPECT_EQ(run({"cat", "-h", "x"}), vtxt::kSuccess);
}

TEST_F(VtxtTest, TextIsStoredInTheCodePageAndComesBackAsUtf8) {
  ASSERT_EQ(run({"write", "--password-file", passwordFile, doc}, kTextUtf8), vtxt::kSuccess) << console.err;
  EXPECT_EQ(docText(kPasswordCp932), kTextCp932) << "CP932 bytes under the CP932 password";
  ASSERT_EQ(run({"cat", "--password-file=" + passwordFile, doc}), vtxt::kSuccess) << console.err;
  EXPECT_EQ(console.out, kTextUtf8);
  EXPECT_EQ(run({"check", doc, "--password-file", passwordFile}), vtxt::kSuccess);
}

TEST_F(VtxtTest, DocumentsAreTheSameBytesOnEveryBuild) {
  std::string saved(reinterpret_cast<const char*>(kSavedDocument), sizeof kSavedDocument);
  std::string fixture = dir.write("saved.vtxt", saved);
  ASSERT_EQ(run({"cat", "--password-file", passwordFile, fixture}), vtxt::kSuccess) << console.err;
  EXPECT_EQ(console.out, kTextUtf8);
  ASSERT_EQ(run({"write", "--password-file", passwordFile, doc}, kTextUtf8), vtxt::kSuccess);
  EXPECT_TRUE(TempDir::readFile(doc) == saved);
}

TEST_F(VtxtTest, PasswordsAreAskedOnTheTerminalAndANewOneTwice) {
  EXPECT_EQ(run({"write", doc}, "abc", {"pw", "pw"}), vtxt::kSuccess) << console.err;
  EXPECT_EQ(console.prompts.size(), 2u);
  EXPECT_EQ(docText("pw"), "abc");

  EXPECT_EQ(run({"cat", doc}, "", {"pw"}), vtxt::kSuccess);
  EXPECT_EQ(console.out, "abc");

  std::string other = dir.path("other.vtxt");
  EXPECT_EQ(run({"write", other}, "abc", {"pw", "pW"}), vtxt::kWrongPassword);
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::u8path(other))) << "nothing saved after a mismatch";

  EXPECT_EQ(run({"cat", doc}), vtxt::kUsage) << "no terminal and no password file";
  EXPECT_NE(console.err.find("--password-file"), std::string::npos);
}

TEST_F(VtxtTest, WrongPasswordsAndDamagedDocumentsExitWith2) {
  ASSERT_EQ(run({"write", doc}, "secret text", {"right", "right"}), vtxt::kSuccess);
  std::string before = TempDir::readFile(doc);
  for (const char* wrong : {"Right", "right ", ""}) {
    EXPECT_EQ(run({"cat", doc}, "", {wrong}), vtxt::kWrongPassword) << wrong;
    EXPECT_EQ(console.out, "");
    EXPECT_EQ(console.err, "vtxt: データの展開に失敗しました。\n");
    EXPECT_EQ(run({"check", doc}, "", {wrong}), vtxt::kWrongPassword);
  }
  // Writing over a document takes the password that opens it.
  EXPECT_EQ(run({"write", doc}, "replaced", {"wrong"}), vtxt::kWrongPassword);
  EXPECT_EQ(TempDir::readFile(doc), before);
  EXPECT_EQ(run({"write", doc}, "replaced", {"right"}), vtxt::kSuccess);
  EXPECT_EQ(docText("right"), "replaced");

  std::string damaged = dir.write("damaged.vtxt", before.substr(0, 16));
  EXPECT_EQ(run({"check", damaged}, "", {"right"}), vtxt::kWrongPassword);
}

TEST_F(VtxtTest, RekeyReplacesThePassword) {
  ASSERT_EQ(run({"write", doc}, "keep this", {"old", "old"}), vtxt::kSuccess);
  EXPECT_EQ(run({"rekey", doc}, "", {"old", "new", "nEw"}), vtxt::kWrongPassword);
  EXPECT_EQ(docText("old"), "keep this") << "unchanged after a mismatch";
  EXPECT_EQ(run({"rekey", doc}, "", {"wrong"}), vtxt::kWrongPassword);
  EXPECT_EQ(run({"rekey", doc}, "", {"old", "new", "new"}), vtxt::kSuccess);
  EXPECT_EQ(docText("new"), "keep this");
  EXPECT_EQ(run({"check", doc}, "", {"old"}), vtxt::kWrongPassword);

  std::string newFile = dir.write("new.txt", "パスワード2\r\n");
  EXPECT_EQ(run({"rekey", doc, "--new-password-file", newFile}, "", {"new"}), vtxt::kSuccess) << console.err;
  EXPECT_EQ(docText(kPasswordCp932 + "2"), "keep this");
}

TEST_F(VtxtTest, FileProblemsExitWith3AndNameTheFile) {
  std::string missing = dir.path("missing.vtxt");
  EXPECT_EQ(run({"cat", "--password-file", passwordFile, missing}), vtxt::kFileError);
  EXPECT_EQ(console.err, "vtxt: ファイルが見つかりません。\n\n" + missing + "\n");
  EXPECT_EQ(run({"cat", "--password-file", dir.path("no-such-password-file"), doc}), vtxt::kFileError);
  EXPECT_EQ(run({"write", "--password-file", passwordFile, dir.path("no/such/folder.vtxt")}, "x"),
            vtxt::kFileError);
}

TEST_F(VtxtTest, UnrepresentableTextOrPasswordsExitWith4AndSaveNothing) {
  // "한국어" has no place in code page 932.
  EXPECT_EQ(run({"write", "--password-file", passwordFile, doc}, "ok\n한국어\n"), vtxt::kNotRepresentable);
  EXPECT_NE(console.err.find("(line 2)"), std::string::npos) << console.err;
  EXPECT_EQ(run({"write", "--password-file", passwordFile, doc}, "bad utf-8 \xFF"), vtxt::kNotRepresentable);
  EXPECT_EQ(run({"write", "--password-file", passwordFile, doc}, std::string("a\0b", 3)),
            vtxt::kNotRepresentable);
  std::string korean = dir.write("korean.txt", "비밀\n");
  EXPECT_EQ(run({"write", "--password-file", korean, doc}, "text"), vtxt::kNotRepresentable);
  EXPECT_EQ(run({"write", "--codepage", "1252", "--password-file", passwordFile, doc}, "x"),
            vtxt::kNotRepresentable);
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::u8path(doc)));

  // A stored byte sequence that is not CP932 cannot be shown as UTF-8.
  ASSERT_EQ(run({"write", "--raw", "--password-file", passwordFile, doc}, "\x81\x20"), vtxt::kSuccess);
  EXPECT_EQ(run({"cat", "--password-file", passwordFile, doc}), vtxt::kNotRepresentable);
  EXPECT_EQ(console.out, "");
}

TEST_F(VtxtTest, TextsLongerThanADocumentHoldsExitWith5AndWriteNothing) {
  ASSERT_EQ(run({"write", "--password-file", passwordFile, doc}, "keep"), vtxt::kSuccess);
  const std::string before = TempDir::readFile(doc);
  const std::string tooLong(tolvane::kMaxTextBytes + 1, 'a');
  const std::string fresh = dir.path("fresh.vtxt");
  for (const std::string& target : {doc, fresh}) {
    EXPECT_EQ(run({"write", "--raw", "--password-file", passwordFile, target}, tooLong), vtxt::kTextTooLong);
    EXPECT_NE(console.err.find("67,108,864 bytes"), std::string::npos) << console.err;
  }
  EXPECT_EQ(TempDir::readFile(doc), before);
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::u8path(fresh)));
}

// Writing over a strong document made with weaker costs than new keys get
// saves it with those costs and a fresh salt; the password stays.
TEST_F(VtxtTest, WriteRaisesAStrongDocumentsWeakCosts) {
  const tolvane::KeyDerivationCost stronger{2, 16};
  const tolvane::DocumentKeyring weak =
      tolvane::newKeyring(tolvane::DocumentFormat::kStrong, kPasswordCp932, tolvane::kCheapestCost);
  tolvane::writeDocument(doc, weak, "old", 3);
  ASSERT_EQ(run({"write", "--password-file", passwordFile, doc}, "new", {}, stronger), vtxt::kSuccess)
      << console.err;
  const tolvane::StrongHeader header = tolvane::readStrongHeader(doc);
  EXPECT_EQ(header.cost, stronger);
  EXPECT_NE(header.salt, weak.salt());
  ASSERT_EQ(run({"cat", "--password-file", passwordFile, doc}), vtxt::kSuccess) << console.err;
  EXPECT_EQ(console.out, "new");
}

TEST_F(VtxtTest, RawAndOtherCodePagesPassTheirBytes) {
  std::string bytes = "\x82\xA0\xFF\x01 raw";
  ASSERT_EQ(run({"write", "--raw", "--password-file", passwordFile, doc}, bytes), vtxt::kSuccess);
  EXPECT_EQ(docText(kPasswordCp932), bytes);
  ASSERT_EQ(run({"cat", "--raw", "--password-file", passwordFile, doc}), vtxt::kSuccess);
  EXPECT_EQ(console.out, bytes);

  // In UTF-8 documents the password is hashed as UTF-8 too.
  std::filesystem::remove(std::filesystem::u8path(doc));
  ASSERT_EQ(
      run({"write", "--codepage", "utf-8", "--password-file", passwordFile, doc}, "\xEF\xBB\xBFテキスト"),
      vtxt::kSuccess);
  EXPECT_EQ(docText("パスワード"), "テキスト") << "byte-order mark dropped";
  EXPECT_EQ(run({"cat", "--password-file", passwordFile, doc}), vtxt::kWrongPassword);
}

TEST_F(VtxtTest, PasswordFileLineEndingsAndByteOrderMarkDoNotCount) {
  ASSERT_EQ(run({"write", "--password-file", passwordFile, doc}, "x"), vtxt::kSuccess);
  for (const char* content : {"パスワード", "パスワード\r\nsecond line", "\xEF\xBB\xBFパスワード\n"}) {
    std::string file = dir.write("variant.txt", content);
    EXPECT_EQ(run({"check", "--password-file", file, doc}), vtxt::kSuccess) << content;
  }
}

TEST_F(VtxtTest, EmptyPasswordIsTheMachinesAndSerialRecoversItElsewhere) {
  ASSERT_EQ(run({"write", doc}, "default", {"", ""}), vtxt::kSuccess);
  EXPECT_EQ(docText(""), "default");
  tolvane::setMachineSerialSource([] { return std::optional<std::string>("ANOTHER-MACHINE"); });
  EXPECT_EQ(run({"check", doc}, "", {""}), vtxt::kWrongPassword);
  EXPECT_EQ(run({"cat", "--serial", "THIS-MACHINE", doc}, "", {""}), vtxt::kSuccess) << console.err;
  EXPECT_EQ(console.out, "default");

  tolvane::setMachineSerialSource([] { return std::optional<std::string>(); });
  EXPECT_EQ(run({"check", doc}, "", {""}), vtxt::kWrongPassword);
  EXPECT_EQ(console.err, "vtxt: 暗号キーの作成に失敗しました。\n");
}

// A document keeps its format through write and rekey unless --format
// names another; info tells it without a password.
TEST_F(VtxtTest, FormatIsKeptUnlessNamedAndInfoTellsItWithoutAPassword) {
  auto format = [&] {
    EXPECT_EQ(run({"info", doc}), vtxt::kSuccess) << console.err;
    return console.out;
  };
  const std::string strong = "format: strong\nversion: 1\nkey derivation: Argon2id\npasses: 1\nmemory: 8 KiB\n";
  ASSERT_EQ(run({"write", doc}, "one", {"pw", "pw"}), vtxt::kSuccess);
  EXPECT_EQ(format(), "format: classic\n") << "new documents are classic";
  const struct {
    std::vector<std::string> args;
    std::deque<std::string> answers;
    std::string text, format;
  } steps[] = {
      {{"write", "--format", "strong", doc}, {"pw"}, "two", strong},
      {{"write", doc}, {"pw"}, "three", strong},
      {{"rekey", doc}, {"pw", "new", "new"}, "three", strong},
      {{"rekey", "--format=classic", doc}, {"new", "pw", "pw"}, "three", "format: classic\n"},
      {{"write", doc}, {"pw"}, "four", "format: classic\n"},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(::testing::PrintToString(step.args));
    ASSERT_EQ(run(step.args, step.text, step.answers), vtxt::kSuccess) << console.err;
    EXPECT_EQ(format(), step.format);
    EXPECT_EQ(run({"cat", doc}, "", {step.answers.size() == 3 ? step.answers[1] : step.answers[0]}),
              vtxt::kSuccess);
    EXPECT_EQ(console.out, step.text);
  }
  EXPECT_EQ(docText("pw"), "four") << "classic bytes again";

  std::string fresh = dir.path("fresh.vtxt");
  ASSERT_EQ(run({"write", "--format", "strong", fresh}, "x", {"", ""}), vtxt::kSuccess);
  EXPECT_EQ(run({"cat", fresh}, "", {""}), vtxt::kSuccess) << "the empty password is the machine's";
  const std::string file = TempDir::readFile(fresh);
  for (const std::string& damaged : {file.substr(0, file.size() - 1), file.substr(0, 30)}) {
    std::string path = dir.write("damaged.vtxt", damaged);
    EXPECT_EQ(run({"check", path}, "", {""}), vtxt::kWrongPassword);
    EXPECT_EQ(console.err, "vtxt: データの展開に失敗しました。\n");
  }
  EXPECT_EQ(run({"info", dir.path("damaged.vtxt")}), vtxt::kWrongPassword) << "a damaged header";
}

}  // namespace
