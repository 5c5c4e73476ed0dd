// The strong .vtxt format, and the keyring that opens and saves a document
// of either format.
//
// Beside the classic format (document.h: one SHA-256 of the password, no
// salt, no check value) a document may be stored in the strong format: the
// key is stretched from the password with Argon2id and a random salt, and
// the zlib stream of the text (the same zlib stream as in a classic file) is
// sealed in libsodium's secretstream (XChaCha20-Poly1305), so that a changed,
// cut or lengthened file is refused.  Integers are little-endian:
//
//   offset  size  field
//        0     8  signature    89 56 54 58 54 0D 0A 1A   ("\x89VTXT\r\n\x1A")
//        8     1  version      1
//        9     1  derivation   1 = Argon2id (version 0x13)
//       10     4  passes       Argon2id passes, 1 to 10
//       14     4  memory       Argon2id memory in KiB, 8 to 1,048,576 (1 GiB)
//       18    16  salt         random, new for every new password
//       34    24  stream       secretstream header, new for every save
//       58     -  chunks       secretstream messages, each a piece of the
//                              zlib stream plus 17 bytes (tag and MAC)
//
//   key    = Argon2id(password bytes, salt, passes, memory), 32 bytes
//   chunks = every piece but the last holds exactly 64 KiB of the zlib
//            stream and is tagged MESSAGE; the last holds 1 to 64 KiB
//            (0 only for no data at all) and is tagged FINAL; the 58 header
//            bytes are the additional data of the first piece, whose MAC
//            therefore covers the whole header, and secretstream chains
//            every later piece to the first.
//
// The password bytes are the classic ones: the password as typed in the code
// page of the documents, or for the empty password the machine's serial
// number with its terminating 0 (machine_serial.h).  The zlib stream is
// written as the classic writer writes it; plaintext after the end of the
// zlib stream (only a writer with the key can put it there) is ignored, as
// the classic reader ignores it.
//
// Telling the formats apart: a classic file is bare CBC ciphertext, so only
// the signature marks a strong file.  A classic file begins with those 8
// bytes with probability 2^-64; such a file would be read as a damaged
// strong one.  Nothing else (size, extension) is consulted.
//
// The keyring.  A DocumentKeyring holds everything secret that the editor
// keeps for an open document: the format and the 32-byte key, and for a
// strong document the salt and the Argon2id costs the key was made with.
// Argon2id runs only where a keyring is made from a password
// (keyringForDocument, newKeyring, opensWith, and keyringForSaving for a
// document with weak costs): once per open and once per new password.
// Saving with a kept keyring costs no derivation: the salt and costs are
// written again and only the stream header is new.  A keyring
// wipes its bytes (sodium_memzero) when it is destroyed or assigned over,
// and a moved-from keyring is wiped at once.  The library wipes its own
// copies (the derived key inside the stream state, the plaintext buffers);
// the password's bytes belong to the caller, who wipes them.
//
// Failures (orka::Error), besides those of readDocument and writeDocument
// in document.h:
//   StreamError 13  a wrong password, and every damaged strong file alike:
//                   a header that is short, of an unknown version or
//                   derivation, or with costs out of the ranges above (a
//                   hostile header must not make a reader spend gigabytes or
//                   minutes); a piece that fails authentication (changed
//                   bytes, the wrong key); a file that ends before the FINAL
//                   piece; an empty FINAL piece after data; any byte after
//                   the FINAL piece.
//   orka::Error "暗号キーの作成に失敗しました。"
//                   the empty password without a machine serial number, and
//                   a derivation that cannot get its memory.
//   orka::Error naming the file, before anything is written
//                   writing a text longer than kMaxTextBytes, or with a
//                   wiped keyring (moved from: an all-zero key) or one whose
//                   costs no reader accepts.
// A document keyring of one format given a file of the other format gets
// StreamError 13 too.  Single-threaded, as document.h; libsodium is set up
// on first use (sodium_init).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "document/document.h"
#include "orka/streams/mem_stream.h"

namespace tolvane {

enum class DocumentFormat { kClassic, kStrong };

// What one Argon2id derivation costs: passes over the memory, and the memory.
struct KeyDerivationCost {
  uint32_t passes;
  uint32_t memoryKiB;
  bool operator==(const KeyDerivationCost& o) const { return passes == o.passes && memoryKiB == o.memoryKiB; }
};

// libsodium's "moderate" limits: what new strong documents get.
constexpr KeyDerivationCost kModerateCost{3, 256 * 1024};
// The least Argon2id allows: for tests, which would otherwise spend 256 MiB
// and most of a second on every open.
constexpr KeyDerivationCost kCheapestCost{1, 8};
// The most a reader accepts from a file's header.
constexpr uint32_t kMostPasses = 10;
constexpr uint32_t kMostMemoryKiB = 1024 * 1024;

constexpr size_t kStrongHeaderSize = 58;
constexpr size_t kStrongChunkSize = 0x10000;
using DocumentSalt = std::array<unsigned char, 16>;

// What a strong file's header says, before any password.
struct StrongHeader {
  uint8_t version;
  KeyDerivationCost cost;
  DocumentSalt salt;
};

// Parses the first `size` bytes of a file (at least kStrongHeaderSize are
// needed); nothing when they are not a strong header this reader accepts.
std::optional<StrongHeader> parseStrongHeader(const void* bytes, size_t size);

// The format of the file at `path`, by its signature alone.  A file shorter
// than the signature is classic.  Throws StreamError 1, 0 or 2 as readDocument.
DocumentFormat documentFormat(const std::string& path);

// The header of the strong file at `path`; StreamError 13 when the file is
// not strong or its header is damaged, 1, 0 or 2 as readDocument.
StrongHeader readStrongHeader(const std::string& path);

class DocumentKeyring {
 public:
  // A classic keyring around a classic key (makeDocumentKey's).
  explicit DocumentKeyring(const DocumentKey& classicKey);
  // A strong keyring around a key derived elsewhere, for tests and the
  // fuzzer; no derivation happens.
  static DocumentKeyring strongFromKey(const DocumentKey& key, const DocumentSalt& salt, KeyDerivationCost cost);

  DocumentKeyring(const DocumentKeyring& other);
  DocumentKeyring& operator=(const DocumentKeyring& other);
  DocumentKeyring(DocumentKeyring&& other) noexcept;
  DocumentKeyring& operator=(DocumentKeyring&& other) noexcept;
  ~DocumentKeyring();

  DocumentFormat format() const { return format_; }
  // Meaningful for a strong keyring only.
  const DocumentSalt& salt() const { return salt_; }
  KeyDerivationCost cost() const { return cost_; }

  // Whether `password` gives this keyring's key (for the classic format
  // its SHA-256, for the strong one Argon2id with this salt and these costs:
  // one derivation).  Compared in constant time.
  bool opensWith(std::string_view password) const;
  bool opensWith(std::string_view password, const char* serial) const;

  // The keyring `password` gives in this keyring's format, with its salt and
  // costs (one derivation for the strong format): for a document whose key
  // was let go while its header's values were kept.
  DocumentKeyring withPassword(std::string_view password) const;
  DocumentKeyring withPassword(std::string_view password, const char* serial) const;

  // For the readers and writers of this folder.
  const DocumentKey& key() const { return key_; }

 private:
  DocumentKeyring() = default;
  void wipe();

  DocumentFormat format_ = DocumentFormat::kClassic;
  DocumentKey key_{};
  DocumentSalt salt_{};
  KeyDerivationCost cost_{0, 0};
};

// The keyring that `password` gives for the document at `path`: for a
// strong file Argon2id with the salt and costs of its header (one
// derivation), for a classic file makeDocumentKey.  Whether the password is
// right shows only when the document is read (StreamError 13).  The empty
// password means the machine serial number; the overload with `serial`
// gives another machine's (a null serial is none).
DocumentKeyring keyringForDocument(const std::string& path, std::string_view password);
DocumentKeyring keyringForDocument(const std::string& path, std::string_view password, const char* serial);

// A keyring for a new password (a new document, Save As, a new format): for
// the strong format a fresh random salt and one derivation at `cost`.
DocumentKeyring newKeyring(DocumentFormat format, std::string_view password,
                           KeyDerivationCost cost = kModerateCost);
DocumentKeyring newKeyring(DocumentFormat format, std::string_view password, const char* serial,
                           KeyDerivationCost cost = kModerateCost);

// The keyring to keep for saving a document that was just opened with
// `opened` (keyringForDocument's) and `password`.  That is `opened` itself,
// unless the document is strong and its costs fall below `least`: an older
// or careless writer's cheap derivation would then stay with the document
// through every save.  Instead the same password gets a fresh salt and costs
// raised to at least `least` (one derivation at the old costs to check the
// password, which must open `opened` or StreamError 13 is thrown, and one
// at the new).  The editor calls this after a successful open, while it
// still holds the password; the next save then writes the stronger header.
DocumentKeyring keyringForSaving(const DocumentKeyring& opened, std::string_view password,
                                 KeyDerivationCost least = kModerateCost);
DocumentKeyring keyringForSaving(const DocumentKeyring& opened, std::string_view password, const char* serial,
                                 KeyDerivationCost least = kModerateCost);

// readDocument and writeDocument of document.h in the keyring's format,
// with the same results, failures and safe replacement.  Writing a strong
// document draws a new stream header and no new key; it keeps the keyring's
// salt and costs (keyringForSaving raises weak ones).
std::unique_ptr<orka::MemWriteStream> readDocument(const std::string& path, const DocumentKeyring& keyring,
                                                   uint32_t maxText = kMaxTextBytes);
void writeDocument(const std::string& path, const DocumentKeyring& keyring, const void* text, uint32_t length);

}  // namespace tolvane
