// The strong format: its layout against libsodium and zlib used by hand,
// refused damage of every kind, hostile headers, and the keyring.
#include <gtest/gtest.h>

#include <sodium.h>

#include <optional>
#include <string>
#include <vector>

#include "document/document_files.h"
#include "document/document_internal.h"
#include "document/machine_serial.h"
#include "document/secret_stream.h"
#include "document/strong_document.h"
#include "support/temp_dir.h"

namespace {

using document_test::kJapanese;
using document_test::kSerial;
using document_test::namesIn;
using document_test::sample;
using document_test::streamCode;
using document_test::textOf;
using testing_support::TempDir;
using namespace tolvane;

constexpr int kDamaged = orka::StreamError::kDamagedOrWrongKey;
constexpr size_t kSealed = kStrongChunkSize + crypto_secretstream_xchacha20poly1305_ABYTES;

class StrongDocumentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_GE(sodium_init(), 0);
    setMachineSerialSource([] { return std::optional<std::string>(kSerial); });
  }
  void TearDown() override { setMachineSerialSource(nullptr); }

  std::string save(const std::string& text, const DocumentKeyring& keyring, const std::string& name = "doc.vtxt") {
    std::string path = dir.path(name);
    writeDocument(path, keyring, text.data(), static_cast<uint32_t>(text.size()));
    return path;
  }

  TempDir dir;
  DocumentKeyring keyring = newKeyring(DocumentFormat::kStrong, "パスワード", kCheapestCost);
};

// The file taken apart with libsodium and zlib alone, as the layout in
// strong_document.h draws it.
std::optional<std::string> openByHand(const std::string& file, const std::string& password) {
  if (file.size() < kStrongHeaderSize) return std::nullopt;
  auto u = [&](size_t at) { return reinterpret_cast<const unsigned char*>(file.data()) + at; };
  const uint32_t passes = u(10)[0] | u(10)[1] << 8 | u(10)[2] << 16 | uint32_t{u(10)[3]} << 24;
  const uint32_t memory = u(14)[0] | u(14)[1] << 8 | u(14)[2] << 16 | uint32_t{u(14)[3]} << 24;
  unsigned char key[32];
  if (crypto_pwhash(key, 32, password.data(), password.size(), u(18), passes, size_t{memory} * 1024,
                    crypto_pwhash_ALG_ARGON2ID13) != 0)
    return std::nullopt;
  crypto_secretstream_xchacha20poly1305_state state;
  if (crypto_secretstream_xchacha20poly1305_init_pull(&state, u(34), key) != 0) return std::nullopt;
  std::string plain;
  unsigned char tag = 0;
  for (size_t at = kStrongHeaderSize; at < file.size() && tag != crypto_secretstream_xchacha20poly1305_TAG_FINAL;
       at += kSealed) {
    size_t n = std::min(kSealed, file.size() - at);
    std::vector<unsigned char> piece(n);
    unsigned long long got = 0;
    if (crypto_secretstream_xchacha20poly1305_pull(&state, piece.data(), &got, &tag, u(at), n,
                                                   at == kStrongHeaderSize ? u(0) : nullptr,
                                                   at == kStrongHeaderSize ? kStrongHeaderSize : 0) != 0)
      return std::nullopt;
    if (tag != crypto_secretstream_xchacha20poly1305_TAG_FINAL && n != kSealed) return std::nullopt;
    plain.append(reinterpret_cast<char*>(piece.data()), got);
  }
  std::string text;
  if (tag != crypto_secretstream_xchacha20poly1305_TAG_FINAL ||
      document_test::zlibStreamLength(plain, &text) != plain.size())
    return std::nullopt;
  return text;
}

TEST_F(StrongDocumentTest, DocumentsFollowTheDrawnLayoutAndReadBack) {
  const std::pair<const char*, std::string> texts[] = {
      {"empty", ""},
      {"japanese", kJapanese},
      {"one piece", sample(60000, 3, false)},
      {"several pieces", sample(300000, 9, false)},
      {"compressible", sample(2000000, 7, true)},
  };
  for (const auto& t : texts) {
    SCOPED_TRACE(t.first);
    std::string path = save(t.second, keyring);
    std::string file = TempDir::readFile(path);
    EXPECT_EQ(file.substr(0, 10), std::string("\x89VTXT\r\n\x1A\x01\x01", 10));
    EXPECT_EQ(file.substr(10, 8), std::string("\x01\0\0\0\x08\0\0\0", 8)) << "passes and KiB";
    EXPECT_EQ(file.substr(18, 16), std::string(keyring.salt().begin(), keyring.salt().end()));
    EXPECT_EQ(openByHand(file, "パスワード"), t.second);
    EXPECT_EQ(documentFormat(path), DocumentFormat::kStrong);
    EXPECT_TRUE(textOf(*readDocument(path, keyringForDocument(path, "パスワード"))) == t.second);
  }
}

TEST_F(StrongDocumentTest, EachSaveDrawsANewStreamHeaderUnderTheSameSaltAndKey) {
  std::string first = TempDir::readFile(save(kJapanese, keyring, "a.vtxt"));
  std::string second = TempDir::readFile(save(kJapanese, keyring, "b.vtxt"));
  EXPECT_EQ(first.substr(0, 34), second.substr(0, 34));
  EXPECT_NE(first.substr(34, 24), second.substr(34, 24));
  EXPECT_EQ(openByHand(second, "パスワード"), kJapanese);
  // A new password gets a new salt.
  DocumentKeyring other = newKeyring(DocumentFormat::kStrong, "パスワード", kCheapestCost);
  EXPECT_NE(other.salt(), keyring.salt());
  EXPECT_NE(other.key(), keyring.key());
}

TEST_F(StrongDocumentTest, OnlyTheRightPasswordOpensAndTheEmptyOneIsTheMachines) {
  std::string path = save(kJapanese, keyring);
  for (const char* wrong : {"パスワード ", "", "password"}) {
    SCOPED_TRACE(wrong);
    EXPECT_EQ(streamCode([&] { readDocument(path, keyringForDocument(path, wrong)); }), kDamaged);
    EXPECT_FALSE(keyring.opensWith(wrong));
  }
  EXPECT_TRUE(keyring.opensWith("パスワード"));

  DocumentKeyring machine = newKeyring(DocumentFormat::kStrong, "", kCheapestCost);
  path = save(kJapanese, machine, "machine.vtxt");
  EXPECT_EQ(openByHand(TempDir::readFile(path), std::string(kSerial, sizeof kSerial)), kJapanese)
      << "the serial with its terminator";
  EXPECT_TRUE(machine.opensWith(""));
  setMachineSerialSource([] { return std::optional<std::string>("another machine"); });
  EXPECT_FALSE(machine.opensWith(""));
  EXPECT_EQ(streamCode([&] { readDocument(path, keyringForDocument(path, "")); }), kDamaged);
  EXPECT_EQ(textOf(*readDocument(path, keyringForDocument(path, "", kSerial))), kJapanese);
}

// A header field set to a value, little-endian.
std::string withField(std::string file, size_t at, uint32_t value, size_t size = 4) {
  for (size_t i = 0; i < size; ++i) file[at + i] = static_cast<char>(value >> (8 * i));
  return file;
}

TEST_F(StrongDocumentTest, ChangedCutOrLengthenedFilesAndHostileHeadersAreRefused) {
  struct Case {
    const char* name;
    std::string file;
    bool badHeader = false;  // refused from the header alone, before any derivation
  };
  const std::string good = TempDir::readFile(save(sample(200000, 5, false), keyring));
  ASSERT_GT(good.size(), kStrongHeaderSize + 3 * kSealed);
  const size_t lastPiece = kStrongHeaderSize + 3 * kSealed;
  auto flipped = [&](size_t at) {
    std::string f = good;
    f[at] ^= 0x20;
    return f;
  };
  const Case cases[] = {
      {"empty file", ""},
      {"cut in the header", good.substr(0, 40), true},
      {"header alone", good.substr(0, kStrongHeaderSize)},
      {"cut in the first piece", good.substr(0, kStrongHeaderSize + 100)},
      {"without the FINAL piece", good.substr(0, lastPiece)},
      {"last byte missing", good.substr(0, good.size() - 1)},
      {"a byte after FINAL", good + "x"},
      {"a piece after FINAL", good + good.substr(kStrongHeaderSize, kSealed)},
      {"pieces swapped", good.substr(0, kStrongHeaderSize) + good.substr(kStrongHeaderSize + kSealed, kSealed) +
                             good.substr(kStrongHeaderSize, kSealed) + good.substr(kStrongHeaderSize + 2 * kSealed)},
      {"signature", flipped(1)},
      {"version", flipped(8), true},
      {"derivation", flipped(9), true},
      {"passes", withField(good, 10, 2)},
      {"memory", withField(good, 14, 16)},
      {"salt", flipped(20)},
      {"stream header", flipped(40)},
      {"first piece", flipped(kStrongHeaderSize + 5)},
      {"a MAC", flipped(kStrongHeaderSize + kSealed - 1)},
      {"last piece", flipped(good.size() - 30)},
      {"passes above 10", withField(good, 10, kMostPasses + 1), true},
      {"no passes", withField(good, 10, 0), true},
      {"memory above 1 GiB", withField(good, 14, kMostMemoryKiB + 1), true},
      {"memory of 4 GiB", withField(good, 14, 0xFFFFFFFF), true},
      {"memory below Argon2id's least", withField(good, 14, 7), true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string path = dir.write("damaged.vtxt", c.file);
    EXPECT_EQ(streamCode([&] { readDocument(path, keyring); }), kDamaged);
    if (!c.badHeader) continue;
    // A hostile header must not make a reader spend gigabytes or minutes:
    // it is refused before any derivation.
    const uint64_t derivations = keyDerivationCount();
    EXPECT_EQ(streamCode([&] { keyringForDocument(path, "パスワード"); }), kDamaged);
    EXPECT_EQ(keyDerivationCount(), derivations);
  }
}

// The zlib stream of `text`, followed by zeros up to `size` bytes.
std::string zlibPadded(const std::string& text, size_t size) {
  std::vector<unsigned char> z(compressBound(static_cast<uLong>(text.size())));
  uLongf n = static_cast<uLongf>(z.size());
  compress(z.data(), &n, reinterpret_cast<const Bytef*>(text.data()), static_cast<uLong>(text.size()));
  std::string plain(reinterpret_cast<char*>(z.data()), n);
  plain.resize(size, '\0');
  return plain;
}

// A file under `keyring` whose pieces (plaintext and tag) are sealed by hand,
// to lay out what our writer never would.
std::string sealByHand(const std::string& headerStart, const DocumentKeyring& keyring,
                       const std::vector<std::pair<std::string, unsigned char>>& pieces) {
  const size_t streamHeaderAt = kStrongHeaderSize - crypto_secretstream_xchacha20poly1305_HEADERBYTES;
  std::string file = headerStart.substr(0, streamHeaderAt);
  file.resize(kStrongHeaderSize);
  auto bytes = [](std::string& s, size_t at) { return reinterpret_cast<unsigned char*>(&s[at]); };
  crypto_secretstream_xchacha20poly1305_state state;
  crypto_secretstream_xchacha20poly1305_init_push(&state, bytes(file, streamHeaderAt), keyring.key().data());
  std::string header = file;
  for (const auto& piece : pieces) {
    std::string plain = piece.first,
                sealed(plain.size() + crypto_secretstream_xchacha20poly1305_ABYTES, '\0');
    const bool first = file.size() == kStrongHeaderSize;
    crypto_secretstream_xchacha20poly1305_push(&state, bytes(sealed, 0), nullptr, bytes(plain, 0),
                                               plain.size(), first ? bytes(header, 0) : nullptr,
                                               first ? header.size() : 0, piece.second);
    file += sealed;
  }
  return file;
}

// Only the layout that strong_document.h draws opens: every piece but the
// last full, the last one holding data, nothing after it.
TEST_F(StrongDocumentTest, PiecesOutsideTheDrawnLayoutAreRefused) {
  const unsigned char kMessage = crypto_secretstream_xchacha20poly1305_TAG_MESSAGE;
  const unsigned char kFinal = crypto_secretstream_xchacha20poly1305_TAG_FINAL;
  const std::string headerStart = TempDir::readFile(save("", keyring));
  const std::string full = zlibPadded(kJapanese, kStrongChunkSize);
  const std::string fullFinal = sealByHand(headerStart, keyring, {{full, kFinal}});
  const struct {
    const char* name;
    std::string file;
    bool opens;
  } cases[] = {
      {"a full FINAL piece", fullFinal, true},
      {"a byte after a full FINAL piece", fullFinal + "x", false},
      {"an empty FINAL piece after a full one",
       sealByHand(headerStart, keyring, {{full, kMessage}, {"", kFinal}}), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string path = dir.write("sealed.vtxt", c.file);
    if (c.opens) {
      EXPECT_EQ(textOf(*readDocument(path, keyring)), kJapanese);
    } else {
      EXPECT_EQ(streamCode([&] { readDocument(path, keyring); }), kDamaged);
    }
  }
}

// Data that ends on a piece boundary goes into a full FINAL piece, never
// into an empty one after it.
TEST_F(StrongDocumentTest, TheWriterNeverEndsInAnEmptyFinalPiece) {
  unsigned char header[kStrongHeaderSize] = {};
  const std::string data(2 * kStrongChunkSize, 'a');
  for (size_t pieces : {1u, 2u}) {
    auto* memory = new orka::MemWriteStream;
    SecretWriteStream secret(memory, keyring.key(), header);
    secret.write(data.data(), static_cast<uint32_t>(pieces * kStrongChunkSize));
    secret.flush(true);
    EXPECT_EQ(memory->size(), kStrongHeaderSize + pieces * kSealed) << pieces;
  }
}

// What a reader would refuse, or a wiped keyring, is never written, and the
// document already there stays as it was.
TEST_F(StrongDocumentTest, TooLongTextsAndWipedKeyringsAreRefusedBeforeAnythingIsWritten) {
  const std::string path = save(kJapanese, keyring);
  const std::string before = TempDir::readFile(path);
  const std::string tooLong(kMaxTextBytes + 1, 'a');
  const DocumentKeyring classic = newKeyring(DocumentFormat::kClassic, "パスワード");
  DocumentKeyring movedClassic = classic, movedStrong = keyring;
  const DocumentKeyring takenClassic(std::move(movedClassic)), takenStrong(std::move(movedStrong));
  const DocumentKeyring zeroKey{DocumentKey{}};
  const DocumentKeyring badCosts = DocumentKeyring::strongFromKey(keyring.key(), keyring.salt(), {0, 0});
  const struct {
    const char* name;
    const DocumentKeyring& keyring;
    uint32_t length;
  } cases[] = {
      {"classic, a byte too long", classic, kMaxTextBytes + 1},
      {"strong, a byte too long", keyring, kMaxTextBytes + 1},
      {"moved-from classic", movedClassic, 5},
      {"moved-from strong", movedStrong, 5},
      {"all-zero key", zeroKey, 5},
      {"costs no reader accepts", badCosts, 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      writeDocument(path, c.keyring, tooLong.data(), c.length);
      ADD_FAILURE() << "written";
    } catch (const orka::Error& e) {
      EXPECT_NE(e.message().find(path), std::string::npos) << e.message();
    }
    EXPECT_EQ(TempDir::readFile(path), before);
    EXPECT_EQ(namesIn(dir.path()).size(), 1u) << "no temporary file left";
  }
  // The limit itself is a text a reader opens.
  writeDocument(path, classic, tooLong.data(), kMaxTextBytes);
  EXPECT_EQ(readDocument(path, classic)->size(), kMaxTextBytes + 1u);
}

// A document opened with weak costs is saved with a fresh salt and costs
// raised to the least asked for; a strong enough one keeps its keyring.
TEST_F(StrongDocumentTest, KeyringForSavingRaisesWeakCostsWithAFreshSalt) {
  const struct {
    KeyDerivationCost opened, least, saved;
  } cases[] = {
      {{1, 8}, {2, 16}, {2, 16}},
      {{3, 8}, {2, 16}, {3, 16}},
      {{1, 32}, {2, 16}, {2, 32}},
      {{2, 16}, {2, 16}, {2, 16}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.opened.passes << "/" << c.opened.memoryKiB);
    DocumentKeyring opened = newKeyring(DocumentFormat::kStrong, "パスワード", c.opened);
    DocumentKeyring saving = keyringForSaving(opened, "パスワード", c.least);
    EXPECT_EQ(saving.cost(), c.saved);
    EXPECT_EQ(saving.salt() == opened.salt(), c.opened == c.saved) << "a fresh salt exactly when raised";
    EXPECT_TRUE(saving.opensWith("パスワード"));
    EXPECT_EQ(readStrongHeader(save(kJapanese, saving)).cost, c.saved);
  }
  DocumentKeyring classic = newKeyring(DocumentFormat::kClassic, "パスワード");
  EXPECT_EQ(keyringForSaving(classic, "パスワード", KeyDerivationCost{2, 16}).key(), classic.key());
  EXPECT_EQ(streamCode([&] {
              keyringForSaving(keyring, "別のパスワード", KeyDerivationCost{2, 16});
            }),
            kDamaged)
      << "a password that does not open the document";
}

TEST_F(StrongDocumentTest, AKeyringOfTheOtherFormatIsAWrongPassword) {
  std::string strong = save(kJapanese, keyring, "strong.vtxt");
  DocumentKeyring classic = newKeyring(DocumentFormat::kClassic, "パスワード");
  std::string old = save(kJapanese, classic, "classic.vtxt");
  EXPECT_EQ(streamCode([&] { readDocument(strong, classic); }), kDamaged);
  EXPECT_EQ(streamCode([&] { readDocument(old, keyring); }), kDamaged);
  EXPECT_EQ(documentFormat(old), DocumentFormat::kClassic);
  EXPECT_EQ(streamCode([&] { readStrongHeader(old); }), kDamaged);
  // The classic path through a keyring writes the classic bytes of old.
  writeDocument(dir.path("direct.vtxt"), makeDocumentKey("パスワード"), kJapanese.data(),
                static_cast<uint32_t>(kJapanese.size()));
  EXPECT_EQ(TempDir::readFile(old), dir.read("direct.vtxt"));
  EXPECT_EQ(textOf(*readDocument(old, keyringForDocument(old, "パスワード"))), kJapanese);
}

TEST_F(StrongDocumentTest, TextsLongerThanTheLimitFailWithCode7) {
  std::string path = save(std::string(5000, 'a'), keyring);
  EXPECT_EQ(textOf(*readDocument(path, keyring, 5000)).size(), 5000u);
  EXPECT_EQ(streamCode([&] { readDocument(path, keyring, 4999); }), orka::StreamError::kNoOutputSpace);
}

TEST_F(StrongDocumentTest, HeaderTellsItsCostsWithoutAPasswordAndMovedKeyringsAreWiped) {
  DocumentKeyring costly = newKeyring(DocumentFormat::kStrong, "x", KeyDerivationCost{2, 64});
  StrongHeader header = readStrongHeader(save("", costly));
  EXPECT_EQ(header.version, 1);
  EXPECT_EQ(header.cost, (KeyDerivationCost{2, 64}));
  EXPECT_EQ(header.salt, costly.salt());

  DocumentKeyring taken(std::move(costly));
  EXPECT_EQ(costly.key(), DocumentKey{}) << "moved-from key wiped";
  EXPECT_NE(taken.key(), DocumentKey{});
  EXPECT_TRUE(taken.opensWith("x"));
}

}  // namespace
