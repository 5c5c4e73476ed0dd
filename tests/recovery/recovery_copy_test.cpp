// Recovery copies: each opens whole under its own key only; anything changed,
// cut, lengthened or foreign is refused with the outcome the editor acts on;
// a failed write keeps the previous copy; the folder reveals no text or key.
#include "editor/recovery/recovery_copy.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "orka/errors/error.h"
#include "orka/text/codepage.h"
#include "support/injected_faults.h"
#include "support/temp_dir.h"

namespace {

using namespace tolvane;
using testing_support::TempDir;
using Outcome = RecoveryOutcome;

const char kSerial[] = "12345-oem-0000001-54321";
const char kSecretUtf8[] = u8"回復の秘密テキストです";
const std::string kPath = u8"C:\\文書\\メモ.vtxt";

std::string secretText(size_t size) {
  std::string text = *orka::utf8ToCodePage(kSecretUtf8, 932) + "\r\n";
  while (text.size() < size) text += static_cast<char>('a' + text.size() % 26);
  text.resize(size);
  return text;
}

RecoveryKey titledKey(DocumentFormat format, const char* password = "pw") {
  return RecoveryKey::ofDocument(newKeyring(format, password, kSerial, kCheapestCost));
}

class RecoveryTest : public ::testing::Test {
 protected:
  std::string write(const RecoveryKey& key, const std::string& text, const std::string& name = "a.tvr",
                    uint64_t created = 1700000000, const std::string& documentPath = kPath) {
    writeRecoveryCopy(dir.path(name), key, documentPath, created, text.data(),
                      static_cast<uint32_t>(text.size()));
    return dir.path(name);
  }
  Outcome openBytes(const std::string& bytes, const RecoveryKey& key) {
    return openRecoveryCopy(dir.write("b.tvr", bytes), key).outcome;
  }
  void checkRoundTrip(std::optional<DocumentFormat> titled, size_t size);
  TempDir dir;
};

// Titled copies of either format and untitled ones, each empty, short and
// of several pieces.
TEST_F(RecoveryTest, EveryCopyOpensWholeUnderItsOwnKeyAndUnderNoOther) {
  using Titled = std::optional<DocumentFormat>;
  for (const Titled& titled : {Titled(DocumentFormat::kClassic), Titled(DocumentFormat::kStrong), Titled()})
    for (size_t size : {size_t{0}, size_t{40}, 2 * kRecoveryPieceSize + 5}) {
      SCOPED_TRACE(std::string(!titled                              ? "untitled"
                               : *titled == DocumentFormat::kStrong ? "strong"
                                                                    : "classic") +
                   ", " + std::to_string(size) + " bytes");
      checkRoundTrip(titled, size);
    }
}

void RecoveryTest::checkRoundTrip(std::optional<DocumentFormat> titled, size_t size) {
  const std::string text = secretText(size);
  const RecoveryKey key = titled ? titledKey(*titled) : RecoveryKey::newRandom();
  const std::string documentPath = titled ? kPath : "";
  const std::string path = write(key, text, "a.tvr", 1234567890123, documentPath);

  const RecoveryHeading heading = readRecoveryHeader(path);
  ASSERT_EQ(heading.outcome, Outcome::kOpened);
  const RecoveryHeader& h = heading.header;
  EXPECT_EQ(std::tie(h.kind, h.format, h.documentPath, h.created, h.textLength),
            std::make_tuple(key.kind(), titled.value_or(DocumentFormat::kClassic), documentPath,
                            uint64_t{1234567890123}, uint32_t(size)));

  // A titled copy opens with the key its document's password gives from the
  // header alone, as after a crash; an untitled one with the user key again.
  const RecoveryKey again =
      titled ? RecoveryKey::ofDocument(keyringForCopy(h, "pw", kSerial)) : RecoveryKey::ofUser(key.bytes());
  const RecoveredText opened = openRecoveryCopy(path, again);
  ASSERT_EQ(opened.outcome, Outcome::kOpened);
  EXPECT_TRUE(opened.text == text);

  for (const RecoveryKey& wrong :
       {titled ? titledKey(*titled, "other") : RecoveryKey::newRandom(),
        titled ? RecoveryKey::ofUser(key.bytes()) : titledKey(DocumentFormat::kClassic)}) {
    const RecoveredText refused = openRecoveryCopy(path, wrong);
    EXPECT_EQ(refused.outcome, Outcome::kWrongKey);
    EXPECT_TRUE(refused.text.empty());
  }
}

TEST_F(RecoveryTest, AChangedHeaderFieldIsRefused) {
  const RecoveryKey key = titledKey(DocumentFormat::kStrong);
  const std::string good = TempDir::readFile(write(key, secretText(70000)));
  const size_t path = kRecoveryHeaderFixedSize, stream = path + kPath.size();
  struct Field {
    const char* name;
    size_t at;
    unsigned char value;  // xor-ed in
    Outcome outcome;
  };
  for (const Field& f : {Field{"signature", 0, 1, Outcome::kDamaged},
                         {"version", 8, 1, Outcome::kDamaged},
                         {"untitled with costs", 9, 3, Outcome::kDamaged},

                         {"format", 10, 1, Outcome::kDamaged},

                         {"hostile passes", 15, 1, Outcome::kDamaged},
                         {"salt", 20, 1, Outcome::kWrongKey},
                         {"subkey id", 36, 1, Outcome::kWrongKey},
                         {"created", 44, 1, Outcome::kWrongKey},
                         {"text length", 52, 1, Outcome::kDamaged},
                         {"absurd text length", 55, 0x10, Outcome::kDamaged},

                         {"absurd path length", 57, 0x80, Outcome::kDamaged},
                         {"path", path, 1, Outcome::kWrongKey},
                         {"stream header", stream, 1, Outcome::kWrongKey},

                         {"last byte", good.size() - 1, 1, Outcome::kWrongKey}}) {
    std::string bad = good;
    bad[f.at] = static_cast<char>(bad[f.at] ^ f.value);
    EXPECT_EQ(openBytes(bad, key), f.outcome) << f.name;
  }
}

TEST_F(RecoveryTest, ACutLengthenedOrForeignFileIsDamagedAndAMissingOneUnreadable) {
  const RecoveryKey key = titledKey(DocumentFormat::kClassic);
  const std::string good = TempDir::readFile(write(key, secretText(kRecoveryPieceSize + 10)));
  const size_t pieces = kRecoveryHeaderFixedSize + kPath.size() + 24;
  for (size_t length : {size_t{0}, size_t{7}, size_t{8}, size_t{57}, size_t{58}, pieces - 1, pieces,
                        pieces + 17, pieces + kRecoveryPieceSize + 17, good.size() - 1}) {
    EXPECT_EQ(openBytes(good.substr(0, length), key), Outcome::kDamaged) << "cut to " << length;
    EXPECT_EQ(readRecoveryHeader(dir.path("b.tvr")).outcome, Outcome::kDamaged) << "cut to " << length;
  }
  for (const std::string& tail : {std::string(1, '\0'), std::string(17, 'x'), good})
    EXPECT_EQ(openBytes(good + tail, key), Outcome::kDamaged) << tail.size() << " bytes after the end";

  writeDocument(dir.path("doc.vtxt"), newKeyring(DocumentFormat::kStrong, "pw", kSerial, kCheapestCost), "t",
                1);
  writeDocument(dir.path("old.vtxt"), newKeyring(DocumentFormat::kClassic, "pw", kSerial), "t", 1);
  const std::string noise(5000, '\xA5');
  for (const std::string& foreign : {dir.read("doc.vtxt"), dir.read("old.vtxt"), std::string(), noise}) {
    EXPECT_EQ(readRecoveryHeader(dir.write("f.tvr", foreign)).outcome, Outcome::kDamaged);
    EXPECT_EQ(openBytes(foreign, key), Outcome::kDamaged);
  }
  EXPECT_EQ(readRecoveryHeader(dir.path("missing.tvr")).outcome, Outcome::kUnreadable);
  EXPECT_EQ(openRecoveryCopy(dir.path("missing.tvr"), key).outcome, Outcome::kUnreadable);
}

TEST_F(RecoveryTest, TooLongATextOrPathIsRefusedBeforeAnythingIsWritten) {
  const RecoveryKey key = RecoveryKey::newRandom();
  EXPECT_THROW(writeRecoveryCopy(dir.path("a.tvr"), key, "", 0, "", kMaxRecoveryText + 1), orka::Error);
  EXPECT_THROW(writeRecoveryCopy(dir.path("a.tvr"), key, std::string(kMaxRecoveryPath + 1, 'p'), 0, "", 0),
               orka::Error);
  EXPECT_EQ(readRecoveryHeader(dir.path("a.tvr")).outcome, Outcome::kUnreadable);
}

TEST_F(RecoveryTest, AWriteFailingAtAnyStepKeepsThePreviousCopy) {
  const RecoveryKey key = RecoveryKey::newRandom();
  const std::string before = TempDir::readFile(write(key, "previous"));
  const std::string text = secretText(3 * kRecoveryPieceSize);
  bool failed = false;
  const std::string steps = testing_support::forEveryFault(
      [&] {
        dir.write("a.tvr", before);
        try {
          write(key, text);
          failed = false;
        } catch (const orka::Error&) {
          failed = true;
        }
      },
      [&](const std::string& fault, testing_support::FileStep) {
        EXPECT_TRUE(failed) << fault << " was reported as a success";
        EXPECT_EQ(dir.read("a.tvr"), before) << fault;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << fault;
      });
  EXPECT_NE(steps.find("write write"), std::string::npos) << steps;
  EXPECT_TRUE(openRecoveryCopy(write(key, text), key).text == text);
}

TEST_F(RecoveryTest, NoFileInTheFolderRevealsTheTextOrTheKey) {
  const std::string text = secretText(kRecoveryPieceSize + 100);
  const RecoveryKey untitled = RecoveryKey::newRandom(), titled = titledKey(DocumentFormat::kClassic);
  for (const char* name : {"u.tvr", "t.tvr"}) write(name[0] == 'u' ? untitled : titled, text, name);
  ASSERT_TRUE(moveToDamaged(dir.path(), "t.tvr"));
  std::u16string wide = std::filesystem::u8path(kSecretUtf8).u16string();
  const std::string secrets[] = {*orka::utf8ToCodePage(kSecretUtf8, 932), kSecretUtf8,
                                 std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * 2),
                                 std::string(untitled.bytes().begin(), untitled.bytes().end()),
                                 std::string(titled.bytes().begin(), titled.bytes().end())};
  std::string files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path()))
    if (entry.is_regular_file()) files += TempDir::readFile(entry.path().u8string()) + '\n';
  EXPECT_GT(files.size(), 2 * text.size());
  for (const std::string& secret : secrets) EXPECT_EQ(files.find(secret), std::string::npos);
}

TEST_F(RecoveryTest, TheFolderListsNewestFirstAndMovesDamagedCopiesAsideWithoutLosingAny) {
  const std::string folder = dir.path("recovery");
  ASSERT_TRUE(makeRecoveryFolder(folder) && makeRecoveryFolder(folder));
  const RecoveryKey key = RecoveryKey::newRandom();
  EXPECT_NE(newRecoveryCopyName(), newRecoveryCopyName());
  for (const auto& [name, created] :
       {std::pair<std::string, uint64_t>{"c.tvr", 5}, {"b.tvr", 9}, {"a.tvr", 5}})
    write(key, "x", "recovery/" + name, created);
  for (const char* name : {"bad.tvr", "other.txt", ".~a.tvr.1-0.tmp"})
    dir.write(std::string("recovery/") + name, "not a copy");
  std::filesystem::create_directory(std::filesystem::u8path(dir.path("recovery/dir.tvr")));

  std::vector<std::string> order;
  for (const RecoveryListing& copy : listRecoveryCopies(folder)) order.push_back(copy.name);
  EXPECT_EQ(order, (std::vector<std::string>{"b.tvr", "a.tvr", "c.tvr", "bad.tvr"}));

  ASSERT_TRUE(makeRecoveryFolder(dir.path("recovery/damaged")));
  dir.write("recovery/damaged/bad.tvr", "found before");
  ASSERT_TRUE(moveToDamaged(folder, "bad.tvr"));
  EXPECT_EQ(dir.read("recovery/damaged/bad.tvr"), "found before");
  EXPECT_EQ(dir.read("recovery/damaged/bad.tvr.1"), "not a copy");
  EXPECT_TRUE(deleteRecoveryCopy(folder, "a.tvr"));
  EXPECT_EQ(listRecoveryCopies(folder).size(), 2u);
}

}  // namespace
