#include "document/strong_document.h"

#include <sodium.h>

#include <algorithm>
#include <cstring>

#include "document/document_internal.h"
#include "document/machine_serial.h"
#include "document/secret_stream.h"
#include "orka/errors/error.h"
#include "orka/files/safe_write.h"
#include "orka/streams/file_stream.h"
#include "orka/streams/zip_stream.h"

namespace tolvane {
namespace {

const unsigned char kSignature[8] = {0x89, 'V', 'T', 'X', 'T', 0x0D, 0x0A, 0x1A};
constexpr uint8_t kVersion = 1;
constexpr uint8_t kArgon2id = 1;
constexpr size_t kSaltAt = 18;

void startSodium() {
  // Safe to call again; it fails only when the system gives no randomness.
  if (sodium_init() < 0) throw orka::Error(kKeyFailedMessage);
}

void putUint32(unsigned char* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}

uint32_t getUint32(const unsigned char* at) {
  return uint32_t{at[0]} | uint32_t{at[1]} << 8 | uint32_t{at[2]} << 16 | uint32_t{at[3]} << 24;
}

// The header up to the stream header, which the writer draws.
void putFixedHeader(unsigned char* h, const DocumentSalt& salt, KeyDerivationCost cost) {
  std::memcpy(h, kSignature, sizeof kSignature);
  h[8] = kVersion;
  h[9] = kArgon2id;
  putUint32(h + 10, cost.passes);
  putUint32(h + 14, cost.memoryKiB);
  std::memcpy(h + kSaltAt, salt.data(), salt.size());
}

// Up to `size` bytes from the start of the file at `path`.
size_t readStart(const std::string& path, unsigned char* bytes, size_t size) {
  orka::FileReadStream file(path);
  return readUpTo(file, bytes, static_cast<uint32_t>(size));
}

uint64_t derivations = 0;

DocumentKey derive(std::string_view password, const char* serial, const DocumentSalt& salt,
                   KeyDerivationCost cost) {
  std::string_view bytes = passwordOrSerial(password, serial);
  startSodium();
  ++derivations;
  DocumentKey key;
  if (crypto_pwhash(key.data(), key.size(), bytes.data(), bytes.size(), salt.data(), cost.passes,
                    size_t{cost.memoryKiB} * 1024, crypto_pwhash_ALG_ARGON2ID13) != 0)
    throw orka::Error(kKeyFailedMessage);  // no memory for it
  return key;
}

}  // namespace

uint64_t keyDerivationCount() { return derivations; }

std::optional<StrongHeader> parseStrongHeader(const void* bytes, size_t size) {
  const unsigned char* h = static_cast<const unsigned char*>(bytes);
  if (size < kStrongHeaderSize || std::memcmp(h, kSignature, sizeof kSignature) != 0) return std::nullopt;
  StrongHeader header;
  header.version = h[8];
  header.cost = {getUint32(h + 10), getUint32(h + 14)};
  std::memcpy(header.salt.data(), h + kSaltAt, header.salt.size());
  // Costs a reader must not be talked into, or that Argon2id refuses.
  if (header.version != kVersion || h[9] != kArgon2id || header.cost.passes < kCheapestCost.passes ||
      header.cost.passes > kMostPasses || header.cost.memoryKiB < kCheapestCost.memoryKiB ||
      header.cost.memoryKiB > kMostMemoryKiB)
    return std::nullopt;
  return header;
}

DocumentFormat documentFormat(const std::string& path) {
  unsigned char start[sizeof kSignature];
  size_t got = readStart(path, start, sizeof start);
  return got == sizeof start && std::memcmp(start, kSignature, got) == 0 ? DocumentFormat::kStrong
                                                                           : DocumentFormat::kClassic;
}

StrongHeader readStrongHeader(const std::string& path) {
  unsigned char bytes[kStrongHeaderSize];
  size_t got = readStart(path, bytes, sizeof bytes);
  if (auto header = parseStrongHeader(bytes, got)) return *header;
  throw orka::StreamError(orka::StreamError::kDamagedOrWrongKey);
}

DocumentKeyring::DocumentKeyring(const DocumentKey& classicKey) : key_(classicKey) {}

DocumentKeyring DocumentKeyring::strongFromKey(const DocumentKey& key, const DocumentSalt& salt,
                                               KeyDerivationCost cost) {
  DocumentKeyring keyring;
  keyring.format_ = DocumentFormat::kStrong;
  keyring.key_ = key;
  keyring.salt_ = salt;
  keyring.cost_ = cost;
  return keyring;
}

DocumentKeyring::DocumentKeyring(const DocumentKeyring& other) = default;

DocumentKeyring& DocumentKeyring::operator=(const DocumentKeyring& other) {
  if (this != &other) {
    wipe();
    format_ = other.format_;
    key_ = other.key_;
    salt_ = other.salt_;
    cost_ = other.cost_;
  }
  return *this;
}

DocumentKeyring::DocumentKeyring(DocumentKeyring&& other) noexcept : DocumentKeyring(other) { other.wipe(); }

DocumentKeyring& DocumentKeyring::operator=(DocumentKeyring&& other) noexcept {
  if (this != &other) {
    *this = static_cast<const DocumentKeyring&>(other);
    other.wipe();
  }
  return *this;
}

DocumentKeyring::~DocumentKeyring() { wipe(); }

void DocumentKeyring::wipe() {
  sodium_memzero(key_.data(), key_.size());
  sodium_memzero(salt_.data(), salt_.size());
  cost_ = {0, 0};
}

bool DocumentKeyring::opensWith(std::string_view password) const {
  return opensWith(password, password.empty() ? machineSerialNumber() : nullptr);
}

bool DocumentKeyring::opensWith(std::string_view password, const char* serial) const {
  DocumentKeyring candidate = withPassword(password, serial);
  startSodium();
  return sodium_memcmp(candidate.key_.data(), key_.data(), key_.size()) == 0;
}

DocumentKeyring DocumentKeyring::withPassword(std::string_view password) const {
  return withPassword(password, password.empty() ? machineSerialNumber() : nullptr);
}

DocumentKeyring DocumentKeyring::withPassword(std::string_view password, const char* serial) const {
  if (format_ == DocumentFormat::kClassic) return DocumentKeyring(makeDocumentKey(password, serial));
  DocumentKey key = derive(password, serial, salt_, cost_);
  DocumentKeyring keyring = strongFromKey(key, salt_, cost_);
  sodium_memzero(key.data(), key.size());
  return keyring;
}

DocumentKeyring keyringForDocument(const std::string& path, std::string_view password) {
  return keyringForDocument(path, password, password.empty() ? machineSerialNumber() : nullptr);
}

DocumentKeyring keyringForDocument(const std::string& path, std::string_view password, const char* serial) {
  if (documentFormat(path) == DocumentFormat::kClassic) return DocumentKeyring(makeDocumentKey(password, serial));
  StrongHeader header = readStrongHeader(path);
  DocumentKey key = derive(password, serial, header.salt, header.cost);
  DocumentKeyring keyring = DocumentKeyring::strongFromKey(key, header.salt, header.cost);
  sodium_memzero(key.data(), key.size());
  return keyring;
}

DocumentKeyring newKeyring(DocumentFormat format, std::string_view password, KeyDerivationCost cost) {
  return newKeyring(format, password, password.empty() ? machineSerialNumber() : nullptr, cost);
}

DocumentKeyring newKeyring(DocumentFormat format, std::string_view password, const char* serial,
                           KeyDerivationCost cost) {
  if (format == DocumentFormat::kClassic) return DocumentKeyring(makeDocumentKey(password, serial));
  startSodium();
  DocumentSalt salt;
  randombytes_buf(salt.data(), salt.size());
  DocumentKey key = derive(password, serial, salt, cost);
  DocumentKeyring keyring = DocumentKeyring::strongFromKey(key, salt, cost);
  sodium_memzero(key.data(), key.size());
  return keyring;
}

DocumentKeyring keyringForSaving(const DocumentKeyring& opened, std::string_view password,
                                 KeyDerivationCost least) {
  return keyringForSaving(opened, password, password.empty() ? machineSerialNumber() : nullptr, least);
}

DocumentKeyring keyringForSaving(const DocumentKeyring& opened, std::string_view password, const char* serial,
                                 KeyDerivationCost least) {
  const KeyDerivationCost cost = opened.cost();
  if (opened.format() == DocumentFormat::kClassic ||
      (cost.passes >= least.passes && cost.memoryKiB >= least.memoryKiB))
    return opened;
  // The new keyring must keep the document's password: a password that does
  // not open it would quietly re-key the document on the next save.
  if (!opened.opensWith(password, serial)) throw orka::StreamError(orka::StreamError::kDamagedOrWrongKey);
  return newKeyring(DocumentFormat::kStrong, password, serial,
                    {std::max(cost.passes, least.passes), std::max(cost.memoryKiB, least.memoryKiB)});
}

std::unique_ptr<orka::MemWriteStream> readDocument(const std::string& path, const DocumentKeyring& keyring,
                                                   uint32_t maxText) {
  if (keyring.format() == DocumentFormat::kClassic) return readDocument(path, keyring.key(), maxText);
  startSodium();
  std::unique_ptr<orka::DataReadStream> file(new orka::FileReadStream(path));
  unsigned char header[kStrongHeaderSize];
  uint32_t got = readUpTo(*file, header, sizeof header);
  if (!parseStrongHeader(header, got)) throw orka::StreamError(orka::StreamError::kDamagedOrWrongKey);
  auto* secret = new SecretReadStream(file.release(), keyring.key(), header);
  orka::ZipReadStream zip(secret);
  std::unique_ptr<orka::MemWriteStream> text = inflateText(zip, maxText);
  // The zlib stream may end before the file does: what follows must still
  // be whole and end in the FINAL piece.
  secret->finish();
  return text;
}

void writeDocument(const std::string& path, const DocumentKeyring& keyring, const void* text, uint32_t length) {
  if (keyring.format() == DocumentFormat::kClassic) return writeDocument(path, keyring.key(), text, length);
  refuseUnsaveable(path, keyring.key(), length);
  startSodium();
  unsigned char header[kStrongHeaderSize] = {};
  putFixedHeader(header, keyring.salt(), keyring.cost());
  // Costs that no reader accepts would make a document nobody opens again.
  if (!parseStrongHeader(header, sizeof header))
    throw orka::Error("暗号キーの作成条件が正しくないため保存できません。\n\n" + path);
  orka::writeFileSafely(path, [&](std::unique_ptr<orka::FileWriteStream> file) {
    return compressText(new SecretWriteStream(file.release(), keyring.key(), header), text, length);
  });
}

}  // namespace tolvane
