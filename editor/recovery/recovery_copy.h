// The recovery copy: the unsaved text of an open document, kept enciphered
// in the recovery folder so that the next start can offer it back after a
// crash.  Integers are little-endian:
//
//   offset  size  field
//        0     8  signature   "TolvRcv1"
//        8     1  version     1
//        9     1  key kind    1 = titled (from the document's key),
//                             2 = untitled (from the user's recovery key)
//       10     1  format      0 = classic, 1 = strong: how the document
//                             re-opens (always 0 for an untitled copy)
//       11     1  reserved    0
//       12     4  passes      ) the strong document's Argon2id costs and
//       16     4  memory KiB  ) salt, so that its password gives the key
//       20    16  salt        ) without the document file; 0 otherwise
//       36     8  subkey id   random, new for every copy
//       44     8  created     seconds since 1970-01-01 UTC
//       52     4  text length bytes, at most kMaxRecoveryText
//       56     2  path length bytes, at most kMaxRecoveryPath
//       58     n  path        the document's path, UTF-8 (empty: untitled)
//     58+n    24  stream      secretstream header, new for every copy
//     82+n     -  pieces      secretstream messages, each a piece of the
//                             text plus 17 bytes (tag and MAC)
//
//   key    = crypto_kdf_derive_from_key(subkey id, "TolvRcvr", master)
//            where master is the document's key (titled) or the user's
//            recovery key (untitled); neither is ever written.
//   pieces = every piece but the last holds exactly 64 KiB of the text and
//            is tagged MESSAGE; the last holds the rest (nothing only for an
//            empty text) and is tagged FINAL.  The header before the pieces
//            is the additional data of the first piece, so every field
//            above is authenticated along with the text.
//   text   = the document's bytes in the code page of the documents.
//
// The header can be read without a key, for the question at start-up, but
// nothing in it is to be trusted until the copy opens.  Outcomes:
//   kDamaged    not a copy this reader takes: another signature or version,
//               an unknown kind or format, a non-zero reserved byte, costs
//               no reader accepts, a text or path over its limit (refused
//               before anything is allocated), a file that ends early or
//               goes on after the FINAL piece, pieces tagged out of order.
//   kWrongKey   a well-formed copy that does not open: the wrong key (or a
//               key of the other kind), or bytes changed after the
//               signature; the two cannot be told apart.
//   kUnreadable the file cannot be opened or read now (gone, denied, held
//               open by another editor): leave it and ask again later.
//
// Writing replaces the copy safely (safe_write.h): a failure at any step
// keeps the previous complete copy.  The text is never copied: pieces are
// sealed straight from the caller's bytes, and a read text is deciphered
// straight into the buffer that is returned, sized once and wiped with it.
// No globals: one copy may be written on a worker thread from a snapshot
// while other threads use other copies (libsodium is started on first use).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "document/strong_document.h"

namespace tolvane {

constexpr uint32_t kMaxRecoveryText = 64u * 1024 * 1024;
constexpr size_t kMaxRecoveryPath = 32767;
constexpr size_t kRecoveryHeaderFixedSize = 58;
constexpr size_t kRecoveryPieceSize = 0x10000;

enum class RecoveryKeyKind : uint8_t { kTitled = 1, kUntitled = 2 };

enum class RecoveryOutcome { kOpened, kWrongKey, kDamaged, kUnreadable };

// What a copy's header says.
struct RecoveryHeader {
  RecoveryKeyKind kind = RecoveryKeyKind::kUntitled;
  DocumentFormat format = DocumentFormat::kClassic;
  KeyDerivationCost cost{0, 0};  // strong titled copies only
  DocumentSalt salt{};           // strong titled copies only
  uint64_t created = 0;
  uint32_t textLength = 0;
  std::string documentPath;
};

// The master key of a copy, wiped when destroyed or assigned over.
class RecoveryKey {
 public:
  using Bytes = std::array<unsigned char, 32>;

  // For a titled document: its keyring's key, format, salt and costs.
  static RecoveryKey ofDocument(const DocumentKeyring& keyring);
  // A fresh random user key for untitled documents.
  static RecoveryKey newRandom();
  // The user key again, once unwrapped from where it is kept.
  static RecoveryKey ofUser(const Bytes& bytes);

  RecoveryKey(const RecoveryKey& other);
  RecoveryKey& operator=(const RecoveryKey& other);
  ~RecoveryKey();

  RecoveryKeyKind kind() const { return kind_; }
  // The key itself: for a user key, what is to be wrapped and kept.
  const Bytes& bytes() const { return bytes_; }
  // Meaningful for a titled key only.
  DocumentFormat format() const { return format_; }
  const DocumentSalt& salt() const { return salt_; }
  KeyDerivationCost cost() const { return cost_; }

 private:
  RecoveryKey() = default;
  void wipe();

  RecoveryKeyKind kind_ = RecoveryKeyKind::kUntitled;
  Bytes bytes_{};
  DocumentFormat format_ = DocumentFormat::kClassic;
  DocumentSalt salt_{};
  KeyDerivationCost cost_{0, 0};
};

// The keyring that `password` gives for a titled copy's document, from the
// copy's header alone (one Argon2id derivation for the strong format); only
// opening the copy with RecoveryKey::ofDocument of it shows whether the
// password is right.  The empty password means the machine serial number.
DocumentKeyring keyringForCopy(const RecoveryHeader& header, std::string_view password);
DocumentKeyring keyringForCopy(const RecoveryHeader& header, std::string_view password, const char* serial);

// Writes the copy of `text` at `path`, replacing the previous one safely.
// `documentPath` is empty for an untitled document.  The kind, format, salt
// and costs come from `key`.  Throws orka::Error naming `path` before
// anything is written for a text or path over its limit, and the errors of
// writeFileSafely.
void writeRecoveryCopy(const std::string& path, const RecoveryKey& key, const std::string& documentPath,
                       uint64_t created, const void* text, uint32_t length);

// The header of the copy at `path`, without its key.  A copy whose size is
// not the one its header gives (cut, lengthened) is kDamaged here already.
struct RecoveryHeading {
  RecoveryOutcome outcome = RecoveryOutcome::kUnreadable;  // kOpened: `header` was read
  RecoveryHeader header;
};
RecoveryHeading readRecoveryHeader(const std::string& path);

// A copy opened with its key; the text is wiped when this goes.
class RecoveredText {
 public:
  RecoveredText() = default;
  RecoveredText(RecoveredText&& other) noexcept;
  RecoveredText& operator=(RecoveredText&& other) noexcept;
  ~RecoveredText();

  RecoveryOutcome outcome = RecoveryOutcome::kUnreadable;
  RecoveryHeader header;  // read when the outcome is kOpened or kWrongKey
  std::string text;       // only when the outcome is kOpened
};
RecoveredText openRecoveryCopy(const std::string& path, const RecoveryKey& key);

// The recovery folder.  Names are UTF-8 file names inside `folder`.

// Seconds since 1970-01-01 UTC now, for `created`.
uint64_t recoveryTimeNow();
// A new copy name: 32 random hex digits (128 bits) and ".tvr", so that no
// two editors ever write the same file.
std::string newRecoveryCopyName();
// Creates the folder when it is missing; false when it cannot be made.
bool makeRecoveryFolder(const std::string& folder);

struct RecoveryListing {
  std::string name;
  RecoveryHeading heading;
};
// Every ".tvr" plain file in `folder`: the readable copies newest first by
// their header's time (ties by name), then those that did not read, by name.
std::vector<RecoveryListing> listRecoveryCopies(const std::string& folder);
// Moves the copy into `folder`/damaged (made when missing) under a name not
// taken there; never deletes it.  False when it could not be moved.
bool moveToDamaged(const std::string& folder, const std::string& name);
// Removes the copy; false when it could not be removed.
bool deleteRecoveryCopy(const std::string& folder, const std::string& name);

}  // namespace tolvane
