#include "editor/recovery/user_key_store.h"

#include <sodium.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <thread>
#include <utility>

#include "orka/errors/error.h"
#include "orka/files/path_ops.h"
#include "orka/files/safe_write.h"
#include "orka/streams/file_stream.h"

namespace tolvane {

namespace {

const char kSignature[8] = {'T', 'o', 'l', 'v', 'K', 'e', 'y', '1'};
const char kFileName[] = "tolvane-recovery.key";

// Another editor reads or writes the file for a few milliseconds only; a file
// busy for longer than this is left alone for this run.
constexpr int kBusyTries = 20;
constexpr auto kBusyPause = std::chrono::milliseconds(50);

std::vector<unsigned char> fileBytes(const std::vector<unsigned char>& blob) {
  std::vector<unsigned char> bytes(kSignature, kSignature + sizeof kSignature);
  bytes.insert(bytes.end(), blob.begin(), blob.end());
  return bytes;
}

enum class Created { kWritten, kTaken, kFailed };

// Writes a first key file where there is none.  Made new, so that of two
// editors creating one at the same moment the second finds the first's file
// instead of replacing a key already in use.
Created createKeyFile(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::unique_ptr<orka::FileWriteStream> file;
  try {
    file = orka::FileWriteStream::createNew(path);
    if (!file) return Created::kTaken;
    file->write(bytes.data(), static_cast<uint32_t>(bytes.size()));
    file->flush(true);
    file->close();
    return Created::kWritten;
  } catch (const orka::Error&) {
    // A cut key file would only be replaced by the next start; none is
    // better.  Only a file this call made is removed.
    if (file) {
      file.reset();
      orka::detail::deleteFile(path);
    }
    return Created::kFailed;
  }
}

bool replaceKeyFile(const std::string& path, const std::vector<unsigned char>& bytes) {
  try {
    orka::writeFileSafely(path, [&](std::unique_ptr<orka::FileWriteStream> file) {
      file->write(bytes.data(), static_cast<uint32_t>(bytes.size()));
      file->flush(true);
      return std::unique_ptr<orka::DataWriteStream>(std::move(file));
    });
    return true;
  } catch (const orka::Error&) {
    return false;
  }
}

}  // namespace

UserKeyStore::UserKeyStore(std::string path, const KeyWrapper& wrapper)
    : path_(std::move(path)), wrapper_(wrapper) {}

std::string UserKeyStore::pathBeside(const std::string& settingsPath) {
  std::string settingsFile;
  if (!orka::detail::fullPath(settingsPath, &settingsFile))
    throw orka::FileError(orka::FileError::kBadFileName, settingsPath);
  return orka::detail::combinePath(orka::detail::removeFileSpec(settingsFile), kFileName);
}

UserKeyStore::Found UserKeyStore::read(std::optional<RecoveryKey>* key) const {
  std::vector<unsigned char> bytes;
  try {
    orka::FileReadStream file(path_);
    const uint32_t size = file.size();
    if (size <= sizeof kSignature || size > sizeof kSignature + kMaxKeyBlob) return Found::kUnusable;
    bytes.resize(size);
    if (file.read(bytes.data(), size) != size) return Found::kUnusable;
  } catch (const orka::StreamError&) {
    // Another editor reading or writing the file keeps everyone else out
    // for that moment; a file that is not there at all is simply missing.
    return orka::detail::pathExists(path_) ? Found::kBusy : Found::kMissing;
  }
  if (std::memcmp(bytes.data(), kSignature, sizeof kSignature) != 0) return Found::kUnusable;

  const std::vector<unsigned char> blob(bytes.begin() + sizeof kSignature, bytes.end());
  RecoveryKey::Bytes plain{};
  const bool opened = wrapper_.unwrap(blob, &plain);
  if (opened) key->emplace(RecoveryKey::ofUser(plain));
  sodium_memzero(plain.data(), plain.size());
  return opened ? Found::kKey : Found::kUnusable;
}

UserKeyStore::Found UserKeyStore::readWaiting(std::optional<RecoveryKey>* key) const {
  Found found = read(key);
  for (int i = 1; i < kBusyTries && found == Found::kBusy; ++i) {
    std::this_thread::sleep_for(kBusyPause);
    found = read(key);
  }
  return found;
}

std::optional<RecoveryKey> UserKeyStore::load() const {
  std::optional<RecoveryKey> key;
  readWaiting(&key);
  return key;
}

RecoveryKey UserKeyStore::loadOrCreate() const {
  for (int i = 0; i < kBusyTries; ++i) {
    std::optional<RecoveryKey> stored;
    const Found found = readWaiting(&stored);
    if (found == Found::kKey) return *stored;

    RecoveryKey key = RecoveryKey::newRandom();
    // Still busy: another editor's key may be in there, and it must stay.
    if (found == Found::kBusy) return key;
    std::vector<unsigned char> blob;
    if (!wrapper_.wrap(key.bytes(), &blob) || blob.empty() || blob.size() > kMaxKeyBlob) return key;
    if (found == Found::kUnusable) {
      replaceKeyFile(path_, fileBytes(blob));
      return key;
    }
    if (createKeyFile(path_, fileBytes(blob)) != Created::kTaken) return key;
    // Another editor has just made the file: its key is the one to share.
  }
  return RecoveryKey::newRandom();
}

}  // namespace tolvane
