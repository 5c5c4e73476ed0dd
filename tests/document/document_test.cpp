// The document container: layout, keys, damaged files and safe saving.
#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <vector>

#include "document/document.h"
#include "document/document_files.h"
#include "document/strong_document.h"
#include "document/machine_serial.h"
#include "orka/crypto/rijndael.h"
#include "orka/errors/error.h"
#include "orka/files/safe_write.h"
#include "support/injected_faults.h"
#include "support/temp_dir.h"

namespace {

using document_test::decipher;
using document_test::namesIn;
using document_test::textOf;
using document_test::zeroTextFile;
using document_test::zlibStreamLength;
using testing_support::TempDir;
using tolvane::DocumentKey;
using tolvane::makeDocumentKey;
using tolvane::readDocument;
using tolvane::writeDocument;

using document_test::kJapanese;
using document_test::kSerial;
using document_test::sample;
using document_test::streamCode;

class DocumentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tolvane::setMachineSerialSource([] { return std::optional<std::string>(kSerial); });
  }
  void TearDown() override { tolvane::setMachineSerialSource(nullptr); }

  std::string save(const std::string& name, const std::string& text, const DocumentKey& key) {
    std::string path = dir.path(name);
    writeDocument(path, key, text.data(), static_cast<uint32_t>(text.size()));
    return path;
  }
  std::string load(const std::string& path, const DocumentKey& key) {
    return textOf(*readDocument(path, key));
  }

  TempDir dir;
  DocumentKey key = makeDocumentKey("パスワード");
};

TEST_F(DocumentTest, TextsRoundTripInFilesOfWholeBlocksAroundTheZlibStream) {
  const std::pair<const char*, std::string> texts[] = {
      {"empty", ""},
      {"one byte", "a"},
      {"japanese", kJapanese},
      {"embedded zero", std::string("before\0after", 12)},
      {"compressible", sample(200000, 7, true)},
      {"incompressible", sample(300000, 9, false)},
  };
  for (const auto& t : texts) {
    SCOPED_TRACE(t.first);
    std::string path = save("doc.vtxt", t.second, key);
    std::string file = TempDir::readFile(path);
    std::string plain = decipher(file, key);
    std::string inflated;
    size_t z = zlibStreamLength(plain, &inflated);
    ASSERT_GT(z, 0u);
    EXPECT_EQ(inflated, t.second);
    EXPECT_EQ(file.size(), (z + 15) / 16 * 16);
    EXPECT_EQ(plain.substr(z), std::string(file.size() - z, '\0')) << "zero padding";
    if (!t.second.empty()) {
      EXPECT_EQ(plain.substr(z - 10, 6), std::string("\0\0\xFF\xFF\x03\x00", 6))
          << "sync flush, empty final block";
    }

    auto stream = readDocument(path, key);
    ASSERT_EQ(stream->size(), t.second.size() + 1);
    EXPECT_EQ(stream->data()[t.second.size()], 0) << "terminated";
    EXPECT_EQ(textOf(*stream), t.second);
  }
}

TEST_F(DocumentTest, EmptyTextIsOneBlockHoldingTheEmptyZlibStream) {
  std::string file = TempDir::readFile(save("empty.vtxt", "", key));
  ASSERT_EQ(file.size(), 16u);
  EXPECT_EQ(decipher(file, key), std::string("\x78\x9C\x03\x00\x00\x00\x00\x01", 8) + std::string(8, '\0'));
}

TEST_F(DocumentTest, SameTextAndPasswordGiveIdenticalFiles) {
  std::string text = sample(50000, 3, true);
  std::string a = TempDir::readFile(save("a.vtxt", text, makeDocumentKey("pw")));
  std::string b = TempDir::readFile(save("b.vtxt", text, makeDocumentKey("pw")));
  EXPECT_EQ(a, b);
  EXPECT_NE(a, TempDir::readFile(save("c.vtxt", text, makeDocumentKey("pw2"))));
}

TEST_F(DocumentTest, OnlyTheExactPasswordBytesOpenTheDocument) {
  std::string path = save("secret.vtxt", kJapanese, makeDocumentKey("Secret"));
  EXPECT_EQ(load(path, makeDocumentKey("Secret")), kJapanese);
  for (const char* wrong : {"Secret ", " Secret", "secret", "SECRET", "Secre", ""}) {
    EXPECT_EQ(streamCode([&] { load(path, makeDocumentKey(wrong)); }), orka::StreamError::kDamagedOrWrongKey)
        << "'" << wrong << "'";
  }
}

TEST_F(DocumentTest, DamagedFilesFailWithCode13) {
  std::string good = TempDir::readFile(save("good.vtxt", sample(40000, 5, true), key));
  ASSERT_GT(good.size(), 64u);
  auto flipped = [&](size_t at) {
    std::string f = good;
    f[at] ^= 0x04;
    return f;
  };
  const std::pair<const char*, std::string> cases[] = {
      {"empty file", ""},
      {"one block of zeros", std::string(16, '\0')},
      {"cut in the middle", good.substr(0, good.size() / 2)},
      {"cut to whole blocks", good.substr(0, good.size() - 16)},
      {"cut inside a block", good.substr(0, good.size() - 5)},
      {"flipped first block", flipped(3)},
      {"flipped middle", flipped(good.size() / 2)},
      {"flipped last block", flipped(good.size() - 9)},
  };
  for (const auto& c : cases) {
    std::string path = dir.write("damaged.vtxt", c.second);
    EXPECT_EQ(streamCode([&] { load(path, key); }), orka::StreamError::kDamagedOrWrongKey) << c.first;
  }
}

// A small file may inflate to any size; the text stops at the limit.
TEST_F(DocumentTest, TextsLongerThanTheEditorHoldsFailWithCode7) {
  std::string path = dir.write("limit.vtxt", zeroTextFile(1000, key));
  EXPECT_EQ(textOf(*readDocument(path, key, 1000)).size(), 1000u);
  EXPECT_EQ(streamCode([&] { readDocument(path, key, 999); }), orka::StreamError::kNoOutputSpace);

  std::string bomb = zeroTextFile(uint64_t{256} << 20, key);  // 256 MiB of text in a quarter megabyte
  EXPECT_LT(bomb.size(), 1u << 20);
  path = dir.write("bomb.vtxt", bomb);
  EXPECT_EQ(streamCode([&] { readDocument(path, key); }), orka::StreamError::kNoOutputSpace);
}

TEST_F(DocumentTest, WholeBlocksAppendedAfterTheDocumentAreIgnored) {
  std::string text = sample(3000, 11, true);
  std::string good = TempDir::readFile(save("good.vtxt", text, key));
  for (size_t extra : {16u, 48u, 4096u}) {
    std::string path = dir.write("longer.vtxt", good + sample(extra, static_cast<uint32_t>(extra), false));
    EXPECT_EQ(load(path, key), text) << extra;
  }
}

TEST_F(DocumentTest, EmptyPasswordIsTheSerialNumberWithItsTerminator) {
  DocumentKey withTerminator = makeDocumentKey(std::string_view(kSerial, sizeof kSerial));
  EXPECT_EQ(makeDocumentKey(""), withTerminator);
  EXPECT_NE(makeDocumentKey(""), makeDocumentKey(kSerial));
  EXPECT_EQ(makeDocumentKey("", kSerial), withTerminator);
  // The serial is not consulted for a real password.
  tolvane::setMachineSerialSource([]() -> std::optional<std::string> { throw std::logic_error("asked"); });
  EXPECT_EQ(makeDocumentKey("abc"), makeDocumentKey("abc", nullptr));
}

TEST_F(DocumentTest, NoSerialNumberMeansNoKeyForTheEmptyPassword) {
  tolvane::setMachineSerialSource([] { return std::optional<std::string>(); });
  try {
    makeDocumentKey("");
    FAIL() << "a key without a serial number";
  } catch (const orka::Error& e) {
    EXPECT_EQ(e.message(), "暗号キーの作成に失敗しました。");
    EXPECT_EQ(e.code(), 2);
    EXPECT_EQ(e.kind(), 0);
  }
  EXPECT_THROW(makeDocumentKey("", nullptr), orka::Error);
}

TEST_F(DocumentTest, SerialNumberIsAskedOnceAndAFailureIsNotKept) {
  int asked = 0;
  std::optional<std::string> answer;
  tolvane::setMachineSerialSource([&] {
    ++asked;
    return answer;
  });
  EXPECT_EQ(tolvane::machineSerialNumber(), nullptr);
  answer = "";  // an empty serial would bind documents to every such machine
  EXPECT_EQ(tolvane::machineSerialNumber(), nullptr);
  answer = "S-1";
  ASSERT_NE(tolvane::machineSerialNumber(), nullptr);
  EXPECT_STREQ(tolvane::machineSerialNumber(), "S-1");
  answer = "S-2";
  EXPECT_STREQ(tolvane::machineSerialNumber(), "S-1");
  EXPECT_EQ(asked, 3);
}

TEST_F(DocumentTest, DefaultPasswordDocumentOpensOnlyOnTheMachineThatWroteIt) {
  std::string path = save("default.vtxt", kJapanese, makeDocumentKey(""));
  EXPECT_EQ(load(path, makeDocumentKey("")), kJapanese);
  tolvane::setMachineSerialSource([] { return std::optional<std::string>("another machine"); });
  EXPECT_EQ(streamCode([&] { load(path, makeDocumentKey("")); }), orka::StreamError::kDamagedOrWrongKey);
  EXPECT_EQ(load(path, makeDocumentKey("", kSerial)), kJapanese) << "recovered with the old serial";
}

TEST_F(DocumentTest, MissingFilesAndFoldersAreReportedWithTheirPath) {
  std::string missing = dir.path("missing.vtxt");
  try {
    readDocument(missing, key);
    FAIL();
  } catch (const orka::StreamError& e) {
    EXPECT_EQ(e.code(), orka::StreamError::kNotFound);
    EXPECT_EQ(e.message(), std::string("ファイルが見つかりません。\n\n") + missing);
  }
  std::string inMissingFolder = dir.path("no such folder/doc.vtxt");
  EXPECT_EQ(streamCode([&] { readDocument(inMissingFolder, key); }), orka::StreamError::kOpenFailed);
  EXPECT_EQ(streamCode([&] { writeDocument(inMissingFolder, key, "x", 1); }), orka::StreamError::kOpenFailed);
  EXPECT_EQ(namesIn(dir.path()).size(), 0u);
}

TEST_F(DocumentTest, SavingReplacesTheOldDocumentAndLeavesNothingElse) {
  std::string path = save("doc.vtxt", "first version", key);
  save("doc.vtxt", "second", makeDocumentKey("new password"));
  EXPECT_EQ(load(path, makeDocumentKey("new password")), "second");
  EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"doc.vtxt"});
}

TEST_F(DocumentTest, SavingOverAReadOnlyDocumentFailsWithCode0AndChangesNothing) {
  std::string path = save("locked.vtxt", "keep me", key);
  std::string before = TempDir::readFile(path);
  std::filesystem::permissions(std::filesystem::u8path(path),
                               std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                   std::filesystem::perms::others_write,
                               std::filesystem::perm_options::remove);
  try {
    writeDocument(path, key, "replaced", 8);
    FAIL() << "saved over a read-only file";
  } catch (const orka::StreamError& e) {
    EXPECT_EQ(e.code(), orka::StreamError::kOpenFailed);
    EXPECT_EQ(e.message(), std::string("ファイルのオープンに失敗しました。\n\n") + path);
  }
  EXPECT_EQ(TempDir::readFile(path), before);
  EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"locked.vtxt"});
}

// The writer that writeDocument relies on, failing in the middle of the new
// contents as a full disk would.
TEST_F(DocumentTest, ASaveThatFailsPartWayKeepsTheOldFileAndRemovesTheTemporaryOne) {
  std::string path = save("doc.vtxt", kJapanese, key);
  std::string before = TempDir::readFile(path);
  try {
    orka::writeFileSafely(path, [](std::unique_ptr<orka::FileWriteStream> file) -> std::unique_ptr<orka::DataWriteStream> {
      file->write("partial new contents", 20);
      throw orka::StreamError(orka::StreamError::kWriteFailed, file->fullPath());
    });
    FAIL();
  } catch (const orka::StreamError& e) {
    EXPECT_EQ(e.code(), orka::StreamError::kWriteFailed);
    EXPECT_EQ(e.path(), path) << "reported as an error of the document, not of the temporary file";
  }
  EXPECT_EQ(TempDir::readFile(path), before);
  EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"doc.vtxt"});
}

// Every step of a save failing in turn, through the native file seam, in
// both formats: the old document stays byte for byte, nothing else is left
// in its folder, and the error names the document.
TEST_F(DocumentTest, ASaveFailingAtAnyStepKeepsTheOldDocumentAndReportsIt) {
  const std::string path = dir.path("doc.vtxt");
  const std::string before = TempDir::readFile(save("doc.vtxt", kJapanese, key));
  for (const tolvane::DocumentKeyring& keyring :
       {tolvane::DocumentKeyring(key), tolvane::newKeyring(tolvane::DocumentFormat::kStrong, "pw", tolvane::kCheapestCost)}) {
    const bool strong = keyring.format() == tolvane::DocumentFormat::kStrong;
    SCOPED_TRACE(strong ? "strong" : "classic");
    // Several blocks to write; for the strong format several pieces.
    const std::string text = sample(strong ? 140000 : 9000, 11, false);
    std::optional<orka::StreamError> error;
    auto attempt = [&] {
      dir.write("doc.vtxt", before);
      error.reset();
      try {
        writeDocument(path, keyring, text.data(), static_cast<uint32_t>(text.size()));
      } catch (const orka::StreamError& e) {
        error = e;
      }
    };
    std::string steps = testing_support::forEveryFault(attempt, [&](const std::string& fault,
                                                                     testing_support::FileStep step) {
      ASSERT_TRUE(error) << fault << " was reported as a success";
      const bool opening = step == testing_support::FileStep::kCreate;
      EXPECT_EQ(error->code(), opening ? orka::StreamError::kOpenFailed : orka::StreamError::kWriteFailed) << fault;
      EXPECT_EQ(error->message(), std::string(opening ? "ファイルのオープンに失敗しました。\n\n"
                                                      : "ファイルの書き込みに失敗しました。\n\n") +
                                      path)
          << fault;
      EXPECT_EQ(TempDir::readFile(path), before) << fault;
      EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"doc.vtxt"}) << fault;
    });
    std::printf("document save steps, each failed alone: %s\n", steps.c_str());
    EXPECT_NE(steps.find("write write"), std::string::npos) << steps;
    attempt();  // unhindered
    EXPECT_FALSE(error);
    EXPECT_TRUE(textOf(*readDocument(path, keyring)) == text);
  }
}

}  // namespace
