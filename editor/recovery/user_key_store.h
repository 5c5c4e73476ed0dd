// The user's recovery key: the master key of the recovery copies of untitled
// documents, which have no password of their own.  It is kept beside the
// settings file, wrapped so that only this user on this machine can unwrap
// it (on Windows by the system's data protection for the current user):
//
//   offset  size  field
//        0     8  signature   "TolvKey1"
//        8     n  blob        the wrapped 32-byte key, n at most kMaxKeyBlob
//
// Every editor of the user shares the one key, so that any of them can open
// the copies another left behind.  Several editors may start at once: a
// file another editor holds open at that moment is waited for (about a
// second), never taken for missing and replaced, and a key file is created
// only where none exists yet, so two editors starting together end up with
// the same key.  A file that is damaged, foreign or wrapped for someone else
// can open no copy; loadOrCreate replaces it with a new key.
//
// The unwrapped key lives only in the RecoveryKey returned (wiped when it
// goes) and in buffers wiped before they are released.  A store holds no
// state besides its path and may be used from any thread.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "editor/recovery/recovery_copy.h"

namespace tolvane {

constexpr size_t kMaxKeyBlob = 4096;

// Seals the user key for this user and opens it again (platform seam).
class KeyWrapper {
 public:
  virtual ~KeyWrapper() = default;
  // The key sealed for this user; false when the system refuses.
  virtual bool wrap(const RecoveryKey::Bytes& key, std::vector<unsigned char>* blob) const = 0;
  // The key out of `blob`; false when it is not a key this user sealed.
  virtual bool unwrap(const std::vector<unsigned char>& blob, RecoveryKey::Bytes* key) const = 0;
};

// The system's wrapper: CryptProtectData for the current user on Windows.
const KeyWrapper& systemKeyWrapper();

class UserKeyStore {
 public:
  // The key file at `path`, sealed by `wrapper` (which must outlive the store).
  explicit UserKeyStore(std::string path, const KeyWrapper& wrapper = systemKeyWrapper());

  // "tolvane-recovery.key" in the folder of the settings file `settingsPath`.
  static std::string pathBeside(const std::string& settingsPath);

  // The stored key; nullopt when there is none, it is damaged, or it is not
  // this user's.
  std::optional<RecoveryKey> load() const;
  // The stored key, or a new random one that replaces an unusable file.
  // When the new key cannot be sealed or written it is still returned: it
  // serves this run, and its copies cannot be opened after a crash.
  RecoveryKey loadOrCreate() const;

  const std::string& path() const { return path_; }

 private:
  enum class Found { kKey, kMissing, kUnusable, kBusy };
  Found read(std::optional<RecoveryKey>* key) const;
  Found readWaiting(std::optional<RecoveryKey>* key) const;

  std::string path_;
  const KeyWrapper& wrapper_;
};

}  // namespace tolvane
