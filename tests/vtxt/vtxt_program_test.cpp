// The real vtxt program, started as its own process.
#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "tools/vtxt/cli.h"
#include "vtxt/run_program.h"

namespace {

using testing_support::TempDir;
using vtxt_test::runProgram;

class VtxtProgram : public ::testing::Test {
 protected:
  vtxt_test::ProgramResult vtxt(const std::vector<std::string>& args, const std::string& input = "") {
    return runProgram(VTXT_PROGRAM, args, input, dir.path());
  }
  TempDir dir;
};

TEST_F(VtxtProgram, WritesReadsAndReportsThroughItsStreamsAndExitCodes) {
  std::string pw = dir.write("pw.txt", "パスワード\n");
  std::string newPw = dir.write("new.txt", "新しいパスワード\n");
  std::string wrong = dir.write("wrong.txt", "ぱすわーど\n");
  std::string doc = dir.path("文書.vtxt");
  const std::string text = "吾輩は猫である。\r\n名前はまだ無い。\r\n";

  auto r = vtxt({"write", "--password-file", pw, doc}, text);
  ASSERT_EQ(r.exitCode, vtxt::kSuccess) << r.err;
  r = vtxt({"cat", "--password-file", pw, doc});
  EXPECT_EQ(r.exitCode, vtxt::kSuccess) << r.err;
  EXPECT_EQ(r.out, text) << "UTF-8 out, CR LF unchanged";

  r = vtxt({"cat", "--password-file", wrong, doc});
  EXPECT_EQ(r.exitCode, vtxt::kWrongPassword);
  EXPECT_EQ(r.err, "vtxt: データの展開に失敗しました。\n");

  r = vtxt({"rekey", "--password-file", pw, "--new-password-file", newPw, doc});
  EXPECT_EQ(r.exitCode, vtxt::kSuccess) << r.err;
  EXPECT_EQ(vtxt({"check", "--password-file", newPw, doc}).exitCode, vtxt::kSuccess);
  EXPECT_EQ(vtxt({"check", "--password-file", pw, doc}).exitCode, vtxt::kWrongPassword);

  r = vtxt({"cat", "--raw", "--password-file", newPw, doc});
  EXPECT_EQ(r.out,
            "\x8C\xE1\x94\x79\x82\xCD\x94\x4C\x82\xC5\x82\xA0\x82\xE9\x81\x42\r\n"
            "\x96\xBC\x91\x4F\x82\xCD\x82\xDC\x82\xBE\x96\xB3\x82\xA2\x81\x42\r\n")
      << "CP932 bytes, unchanged";

  std::string utf8Doc = dir.path("utf8.vtxt");
  EXPECT_EQ(vtxt({"write", "--codepage", "utf-8", "--password-file", pw, utf8Doc}, "한국어").exitCode,
            vtxt::kSuccess);
  r = vtxt({"cat", "--raw", "--codepage", "utf-8", "--password-file", pw, utf8Doc});
  EXPECT_EQ(r.out, "한국어") << "stored as UTF-8";

  EXPECT_EQ(vtxt({"check", "--password-file", pw, dir.path("missing.vtxt")}).exitCode, vtxt::kFileError);
  EXPECT_EQ(vtxt({"write", "--password-file", pw, dir.path("new.vtxt")}, "한국어").exitCode,
            vtxt::kNotRepresentable);
  r = vtxt({"frobnicate"});
  EXPECT_EQ(r.exitCode, vtxt::kUsage);
  EXPECT_EQ(r.err.compare(0, 6, "vtxt: "), 0);
  r = vtxt({"--help"});
  EXPECT_EQ(r.exitCode, vtxt::kSuccess);
  EXPECT_EQ(r.out.compare(0, 12, "Usage: vtxt "), 0);
}

TEST_F(VtxtProgram, SerialNumberOpensADefaultPasswordDocumentFromAnotherMachine) {
  std::string empty = dir.write("empty.txt", "");
  std::string doc = dir.path("default.vtxt");
  auto r = vtxt({"write", "--serial", "OLD-MACHINE-1", "--password-file", empty, doc}, "lost and found");
  ASSERT_EQ(r.exitCode, vtxt::kSuccess) << r.err;
  EXPECT_EQ(vtxt({"check", "--serial", "OLD-MACHINE-2", "--password-file", empty, doc}).exitCode,
            vtxt::kWrongPassword);
  r = vtxt({"cat", "--serial", "OLD-MACHINE-1", "--password-file", empty, doc});
  EXPECT_EQ(r.exitCode, vtxt::kSuccess) << r.err;
  EXPECT_EQ(r.out, "lost and found");
}

TEST_F(VtxtProgram, StrongDocumentsGetModerateCostsAndConvertBack) {
  std::string pw = dir.write("pw.txt", "パスワード\n");
  std::string doc = dir.path("strong.vtxt");
  auto r = vtxt({"write", "--format", "strong", "--password-file", pw, doc}, "強い");
  ASSERT_EQ(r.exitCode, vtxt::kSuccess) << r.err;
  r = vtxt({"info", doc});
  EXPECT_EQ(r.out, "format: strong\nversion: 1\nkey derivation: Argon2id\npasses: 3\nmemory: 256 MiB\n");
  r = vtxt({"rekey", "--format", "classic", "--password-file", pw, "--new-password-file", pw, doc});
  ASSERT_EQ(r.exitCode, vtxt::kSuccess) << r.err;
  EXPECT_EQ(vtxt({"info", doc}).out, "format: classic\n");
  EXPECT_EQ(vtxt({"cat", "--password-file", pw, doc}).out, "強い");
}

}  // namespace
