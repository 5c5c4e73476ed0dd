#include "editor/recovery/recovery_copy.h"

#include <sodium.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>

#include "orka/crypto/wipe.h"
#include "orka/errors/error.h"
#include "orka/files/path_ops.h"
#include "orka/files/safe_write.h"
#include "orka/streams/file_stream.h"

namespace tolvane {
namespace {

const unsigned char kSignature[8] = {'T', 'o', 'l', 'v', 'R', 'c', 'v', '1'};
constexpr uint8_t kVersion = 1;
// crypto_kdf's context: exactly 8 characters, ours alone.
constexpr char kContext[crypto_kdf_CONTEXTBYTES + 1] = "TolvRcvr";
constexpr size_t kStreamHeaderSize = crypto_secretstream_xchacha20poly1305_HEADERBYTES;
constexpr size_t kPieceOverhead = crypto_secretstream_xchacha20poly1305_ABYTES;
const char kSuffix[] = ".tvr";
const char kDamagedFolder[] = "damaged";

const char kStartFailed[] = "回復用のコピーを作成できません。";
const char kTooLarge[] = "文書が大きすぎるため回復用のコピーを作成できません。\n\n";

void startSodium() {
  if (sodium_init() < 0) throw orka::Error(kStartFailed);
}

void put16(unsigned char* at, uint32_t value) {
  for (int i = 0; i < 2; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}
void put32(unsigned char* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}
void put64(unsigned char* at, uint64_t value) {
  for (int i = 0; i < 8; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}
uint64_t getLe(const unsigned char* at, int size) {
  uint64_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | at[i];
  return value;
}

// How many pieces a text of `length` bytes takes: an empty one still has
// its FINAL piece.
uint32_t pieceCount(uint32_t length) {
  return length == 0 ? 1 : static_cast<uint32_t>((length + kRecoveryPieceSize - 1) / kRecoveryPieceSize);
}

// The per-copy key and the stream state made with it, wiped together.
class CopyCipher {
 public:
  CopyCipher(const RecoveryKey::Bytes& master, uint64_t subkeyId) {
    crypto_kdf_derive_from_key(key_, sizeof key_, subkeyId, kContext, master.data());
  }
  ~CopyCipher() {
    sodium_memzero(key_, sizeof key_);
    sodium_memzero(&state_, sizeof state_);
  }
  CopyCipher(const CopyCipher&) = delete;
  CopyCipher& operator=(const CopyCipher&) = delete;

  void startPush(unsigned char* streamHeader) {
    crypto_secretstream_xchacha20poly1305_init_push(&state_, streamHeader, key_);
  }
  bool startPull(const unsigned char* streamHeader) {
    return crypto_secretstream_xchacha20poly1305_init_pull(&state_, streamHeader, key_) == 0;
  }
  crypto_secretstream_xchacha20poly1305_state* state() { return &state_; }

 private:
  unsigned char key_[crypto_secretstream_xchacha20poly1305_KEYBYTES];
  crypto_secretstream_xchacha20poly1305_state state_;
};

// The header's fixed part, from its fields.
void putFixedHeader(unsigned char* h, const RecoveryKey& key, uint64_t subkeyId, uint64_t created,
                    uint32_t length, size_t pathLength) {
  const bool titled = key.kind() == RecoveryKeyKind::kTitled;
  const bool strong = titled && key.format() == DocumentFormat::kStrong;
  std::memset(h, 0, kRecoveryHeaderFixedSize);
  std::memcpy(h, kSignature, sizeof kSignature);
  h[8] = kVersion;
  h[9] = static_cast<unsigned char>(key.kind());
  h[10] = strong ? 1 : 0;
  if (strong) {
    put32(h + 12, key.cost().passes);
    put32(h + 16, key.cost().memoryKiB);
    std::memcpy(h + 20, key.salt().data(), key.salt().size());
  }
  put64(h + 36, subkeyId);
  put64(h + 44, created);
  put32(h + 52, length);
  put16(h + 56, static_cast<uint32_t>(pathLength));
}

// The fields of a fixed header, or false for one this reader does not take.
bool parseFixedHeader(const unsigned char* h, RecoveryHeader* header, uint64_t* subkeyId,
                      size_t* pathLength) {
  if (std::memcmp(h, kSignature, sizeof kSignature) != 0 || h[8] != kVersion || h[11] != 0) return false;
  if (h[9] != static_cast<uint8_t>(RecoveryKeyKind::kTitled) &&
      h[9] != static_cast<uint8_t>(RecoveryKeyKind::kUntitled))
    return false;
  header->kind = static_cast<RecoveryKeyKind>(h[9]);
  // Only a titled copy of a strong document has costs and a salt; costs out
  // of range would make whoever types the password spend gigabytes.
  const bool strong = h[10] == 1;
  if (h[10] > 1 || (strong && header->kind != RecoveryKeyKind::kTitled)) return false;
  header->format = strong ? DocumentFormat::kStrong : DocumentFormat::kClassic;
  header->cost = {static_cast<uint32_t>(getLe(h + 12, 4)), static_cast<uint32_t>(getLe(h + 16, 4))};
  std::memcpy(header->salt.data(), h + 20, header->salt.size());
  if (strong) {
    if (header->cost.passes < kCheapestCost.passes || header->cost.passes > kMostPasses ||
        header->cost.memoryKiB < kCheapestCost.memoryKiB || header->cost.memoryKiB > kMostMemoryKiB)
      return false;
  } else if (std::any_of(h + 12, h + 36, [](unsigned char b) { return b != 0; })) {
    return false;
  }
  *subkeyId = getLe(h + 36, 8);
  header->created = getLe(h + 44, 8);
  header->textLength = static_cast<uint32_t>(getLe(h + 52, 4));
  *pathLength = static_cast<size_t>(getLe(h + 56, 2));
  return header->textLength <= kMaxRecoveryText && *pathLength <= kMaxRecoveryPath;
}

// Reads until `size` bytes came or the file ended; the count read.
size_t readUpTo(orka::DataReadStream& file, unsigned char* buffer, size_t size) {
  size_t got = 0;
  while (got < size) {
    const uint32_t n = file.read(buffer + got, static_cast<uint32_t>(size - got));
    if (n == 0) break;
    got += n;
  }
  return got;
}

// A copy's header as it stands in the file, read up to its first piece.
struct ReadHeader {
  RecoveryOutcome outcome = RecoveryOutcome::kDamaged;
  RecoveryHeader fields;
  uint64_t subkeyId = 0;
  std::vector<unsigned char> bytes;  // everything before the first piece
};

ReadHeader readHeaderFrom(orka::FileReadStream& file) {
  ReadHeader read;
  read.bytes.resize(kRecoveryHeaderFixedSize);
  size_t pathLength = 0;
  if (readUpTo(file, read.bytes.data(), kRecoveryHeaderFixedSize) != kRecoveryHeaderFixedSize ||
      !parseFixedHeader(read.bytes.data(), &read.fields, &read.subkeyId, &pathLength))
    return read;
  read.bytes.resize(kRecoveryHeaderFixedSize + pathLength + kStreamHeaderSize);
  if (readUpTo(file, read.bytes.data() + kRecoveryHeaderFixedSize, pathLength + kStreamHeaderSize) !=
      pathLength + kStreamHeaderSize)
    return read;
  read.fields.documentPath.assign(reinterpret_cast<const char*>(read.bytes.data()) + kRecoveryHeaderFixedSize,
                                  pathLength);
  // A cut or lengthened copy is not offered at all, and is refused before
  // its text is allocated.
  const uint32_t length = read.fields.textLength;
  const uint64_t expected =
      uint64_t{read.bytes.size()} + length + uint64_t{pieceCount(length)} * kPieceOverhead;
  if (file.size() == expected) read.outcome = RecoveryOutcome::kOpened;
  return read;
}

// Deciphers the pieces after `header` into `out->text`, sized once.
RecoveryOutcome openPieces(orka::FileReadStream& file, const ReadHeader& header, const RecoveryKey& key,
                           RecoveredText* out) {
  const uint32_t length = header.fields.textLength;
  const uint32_t pieces = pieceCount(length);
  if (key.kind() != header.fields.kind) return RecoveryOutcome::kWrongKey;

  CopyCipher cipher(key.bytes(), header.subkeyId);
  if (!cipher.startPull(header.bytes.data() + header.bytes.size() - kStreamHeaderSize))
    return RecoveryOutcome::kWrongKey;
  std::unique_ptr<unsigned char[]> sealed(
      new unsigned char[std::min<size_t>(length, kRecoveryPieceSize) + kPieceOverhead]);
  out->text.resize(length);
  size_t at = 0;
  for (uint32_t i = 0; i < pieces; ++i) {
    const size_t plain = std::min<size_t>(length - at, kRecoveryPieceSize);
    if (readUpTo(file, sealed.get(), plain + kPieceOverhead) != plain + kPieceOverhead)
      return RecoveryOutcome::kDamaged;
    unsigned char tag = 0;
    unsigned char* into = reinterpret_cast<unsigned char*>(&out->text[0]) + at;
    if (crypto_secretstream_xchacha20poly1305_pull(
            cipher.state(), into, nullptr, &tag, sealed.get(), plain + kPieceOverhead,
            i == 0 ? header.bytes.data() : nullptr, i == 0 ? header.bytes.size() : 0) != 0)
      return RecoveryOutcome::kWrongKey;
    const unsigned char wanted = i + 1 == pieces ? crypto_secretstream_xchacha20poly1305_TAG_FINAL
                                                 : crypto_secretstream_xchacha20poly1305_TAG_MESSAGE;
    if (tag != wanted) return RecoveryOutcome::kDamaged;
    at += plain;
  }
  // The file may have grown since its size was taken.
  unsigned char more;
  return readUpTo(file, &more, 1) == 0 ? RecoveryOutcome::kOpened : RecoveryOutcome::kDamaged;
}

bool endsWith(const std::string& s, const std::string& tail) {
  return s.size() > tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

RecoveryKey RecoveryKey::ofDocument(const DocumentKeyring& keyring) {
  RecoveryKey key;
  key.kind_ = RecoveryKeyKind::kTitled;
  std::copy(keyring.key().begin(), keyring.key().end(), key.bytes_.begin());
  key.format_ = keyring.format();
  if (key.format_ == DocumentFormat::kStrong) {
    key.salt_ = keyring.salt();
    key.cost_ = keyring.cost();
  }
  return key;
}

RecoveryKey RecoveryKey::newRandom() {
  startSodium();
  RecoveryKey key;
  randombytes_buf(key.bytes_.data(), key.bytes_.size());
  return key;
}

RecoveryKey RecoveryKey::ofUser(const Bytes& bytes) {
  RecoveryKey key;
  key.bytes_ = bytes;
  return key;
}

RecoveryKey::RecoveryKey(const RecoveryKey& other) = default;

RecoveryKey& RecoveryKey::operator=(const RecoveryKey& other) {
  if (this != &other) {
    wipe();
    kind_ = other.kind_;
    bytes_ = other.bytes_;
    format_ = other.format_;
    salt_ = other.salt_;
    cost_ = other.cost_;
  }
  return *this;
}

RecoveryKey::~RecoveryKey() { wipe(); }

void RecoveryKey::wipe() { sodium_memzero(bytes_.data(), bytes_.size()); }

DocumentKeyring keyringForCopy(const RecoveryHeader& header, std::string_view password) {
  if (header.format == DocumentFormat::kClassic) return newKeyring(DocumentFormat::kClassic, password);
  return DocumentKeyring::strongFromKey(DocumentKey{}, header.salt, header.cost).withPassword(password);
}

DocumentKeyring keyringForCopy(const RecoveryHeader& header, std::string_view password, const char* serial) {
  if (header.format == DocumentFormat::kClassic)
    return newKeyring(DocumentFormat::kClassic, password, serial);
  return DocumentKeyring::strongFromKey(DocumentKey{}, header.salt, header.cost)
      .withPassword(password, serial);
}

void writeRecoveryCopy(const std::string& path, const RecoveryKey& key, const std::string& documentPath,
                       uint64_t created, const void* text, uint32_t length) {
  if (length > kMaxRecoveryText || documentPath.size() > kMaxRecoveryPath)
    throw orka::Error(kTooLarge + path);
  startSodium();
  uint64_t subkeyId = 0;
  randombytes_buf(&subkeyId, sizeof subkeyId);
  std::vector<unsigned char> header(kRecoveryHeaderFixedSize + documentPath.size() + kStreamHeaderSize);
  putFixedHeader(header.data(), key, subkeyId, created, length, documentPath.size());
  std::memcpy(header.data() + kRecoveryHeaderFixedSize, documentPath.data(), documentPath.size());
  CopyCipher cipher(key.bytes(), subkeyId);
  cipher.startPush(header.data() + header.size() - kStreamHeaderSize);

  const unsigned char* plain = static_cast<const unsigned char*>(text);
  const uint32_t pieces = pieceCount(length);
  // Only sealed bytes pass through this buffer: the text is read in place.
  std::vector<unsigned char> sealed(std::min<size_t>(length, kRecoveryPieceSize) + kPieceOverhead);
  orka::writeFileSafely(path, [&](std::unique_ptr<orka::FileWriteStream> file) {
    file->write(header.data(), static_cast<uint32_t>(header.size()));
    size_t at = 0;
    for (uint32_t i = 0; i < pieces; ++i) {
      const size_t n = std::min<size_t>(length - at, kRecoveryPieceSize);
      crypto_secretstream_xchacha20poly1305_push(cipher.state(), sealed.data(), nullptr, plain + at, n,
                                                 i == 0 ? header.data() : nullptr, i == 0 ? header.size() : 0,
                                                 i + 1 == pieces
                                                     ? crypto_secretstream_xchacha20poly1305_TAG_FINAL
                                                     : crypto_secretstream_xchacha20poly1305_TAG_MESSAGE);
      file->write(sealed.data(), static_cast<uint32_t>(n + kPieceOverhead));
      at += n;
    }
    file->flush(true);
    return std::unique_ptr<orka::DataWriteStream>(std::move(file));
  });
}

RecoveryHeading readRecoveryHeader(const std::string& path) {
  RecoveryHeading heading;
  try {
    orka::FileReadStream file(path);
    ReadHeader read = readHeaderFrom(file);
    heading.outcome = read.outcome;
    if (read.outcome == RecoveryOutcome::kOpened) heading.header = std::move(read.fields);
  } catch (const orka::StreamError&) {
    heading.outcome = RecoveryOutcome::kUnreadable;
  }
  return heading;
}

RecoveredText::RecoveredText(RecoveredText&& other) noexcept
    : outcome(other.outcome), header(std::move(other.header)), text(std::move(other.text)) {
  other.outcome = RecoveryOutcome::kUnreadable;
}

RecoveredText& RecoveredText::operator=(RecoveredText&& other) noexcept {
  if (this != &other) {
    orka::secureWipe(text);
    outcome = other.outcome;
    header = std::move(other.header);
    text = std::move(other.text);
    other.outcome = RecoveryOutcome::kUnreadable;
  }
  return *this;
}

RecoveredText::~RecoveredText() { orka::secureWipe(text); }

RecoveredText openRecoveryCopy(const std::string& path, const RecoveryKey& key) {
  startSodium();
  RecoveredText out;
  try {
    orka::FileReadStream file(path);
    const ReadHeader header = readHeaderFrom(file);
    if (header.outcome != RecoveryOutcome::kOpened) {
      out.outcome = header.outcome;
      return out;
    }
    out.header = header.fields;
    out.outcome = openPieces(file, header, key, &out);
  } catch (const orka::StreamError&) {
    out.outcome = RecoveryOutcome::kUnreadable;
  }
  // Nothing of a text that did not open stays, not even in part.
  if (out.outcome != RecoveryOutcome::kOpened) orka::secureWipe(out.text);
  return out;
}

uint64_t recoveryTimeNow() {
  return static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
          .count());
}

std::string newRecoveryCopyName() {
  startSodium();
  unsigned char id[16];
  char hex[sizeof id * 2 + 1];
  randombytes_buf(id, sizeof id);
  sodium_bin2hex(hex, sizeof hex, id, sizeof id);
  return hex + std::string(kSuffix);
}

bool makeRecoveryFolder(const std::string& folder) {
  // Another editor may make it at the same moment.
  return orka::detail::isDirectory(folder) || orka::detail::createDirectory(folder) ||
         orka::detail::isDirectory(folder);
}

std::vector<RecoveryListing> listRecoveryCopies(const std::string& folder) {
  std::vector<orka::detail::DirEntry> entries;
  std::vector<RecoveryListing> copies;
  if (!orka::detail::listDirectory(folder, &entries)) return copies;
  for (const orka::detail::DirEntry& entry : entries)
    if (entry.regular && !entry.link && endsWith(entry.name, kSuffix))
      copies.push_back({entry.name, readRecoveryHeader(orka::detail::combinePath(folder, entry.name))});
  std::sort(copies.begin(), copies.end(), [](const RecoveryListing& a, const RecoveryListing& b) {
    const bool aRead = a.heading.outcome == RecoveryOutcome::kOpened;
    const bool bRead = b.heading.outcome == RecoveryOutcome::kOpened;
    if (aRead != bRead) return aRead;
    if (aRead && a.heading.header.created != b.heading.header.created)
      return a.heading.header.created > b.heading.header.created;
    return a.name < b.name;
  });
  return copies;
}

bool moveToDamaged(const std::string& folder, const std::string& name) {
  const std::string damaged = orka::detail::combinePath(folder, kDamagedFolder);
  if (!makeRecoveryFolder(damaged)) return false;
  // A name already there (the same copy found damaged twice) is kept: the
  // newcomer takes the next free one.
  std::string target = orka::detail::combinePath(damaged, name);
  for (int n = 1; orka::detail::pathExists(target); ++n) {
    if (n > 100) return false;
    target = orka::detail::combinePath(damaged, name + "." + std::to_string(n));
  }
  return orka::detail::replaceFile(orka::detail::combinePath(folder, name), target) ==
         orka::detail::ReplaceResult::kReplaced;
}

bool deleteRecoveryCopy(const std::string& folder, const std::string& name) {
  return orka::detail::deleteFile(orka::detail::combinePath(folder, name));
}

}  // namespace tolvane
