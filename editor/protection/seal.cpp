#include "editor/protection/seal.h"

#include <sodium.h>

#include <cstring>
#include <memory>
#include <new>

#include "orka/crypto/wipe.h"
#include "orka/errors/error.h"

namespace {

constexpr size_t kSaltBytes = crypto_generichash_blake2b_SALTBYTES;
constexpr size_t kNonceBytes = crypto_secretbox_NONCEBYTES;
constexpr size_t kHeaderBytes = kSaltBytes + kNonceBytes;
constexpr size_t kFixedPlainBytes = 4 + 4 + 3 + 4 + 4;
// BLAKE2b's personalisation: exactly 16 bytes, the terminating 0 included.
constexpr char kPersonal[crypto_generichash_blake2b_PERSONALBYTES] = "Tolvane.seal.v1";

// Plain bytes, allocated once at their final size and wiped before they go.
class PlainBytes {
 public:
  explicit PlainBytes(size_t size) : bytes_(new unsigned char[size]), size_(size) {}
  ~PlainBytes() { sodium_memzero(bytes_.get(), size_); }
  PlainBytes(const PlainBytes&) = delete;
  PlainBytes& operator=(const PlainBytes&) = delete;
  unsigned char* data() { return bytes_.get(); }
  size_t size() const { return size_; }

 private:
  std::unique_ptr<unsigned char[]> bytes_;
  size_t size_;
};

// The secretbox key for one record.
class SealKey {
 public:
  SealKey(const tolvane::DocumentKey& documentKey, const unsigned char* salt) {
    crypto_generichash_blake2b_salt_personal(key_, sizeof key_, nullptr, 0, documentKey.data(),
                                             documentKey.size(), salt,
                                             reinterpret_cast<const unsigned char*>(kPersonal));
  }
  ~SealKey() { sodium_memzero(key_, sizeof key_); }
  SealKey(const SealKey&) = delete;
  SealKey& operator=(const SealKey&) = delete;
  const unsigned char* get() const { return key_; }

 private:
  unsigned char key_[crypto_secretbox_KEYBYTES];
};

class Writer {
 public:
  explicit Writer(unsigned char* at) : at_(at) {}
  void put(const void* data, size_t size) {
    std::memcpy(at_, data, size);
    at_ += size;
  }
  void put8(bool value) { *at_++ = value ? 1 : 0; }
  void put32(uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) *at_++ = static_cast<unsigned char>(value >> shift);
  }
  void putText(const std::string& text) {
    put32(static_cast<uint32_t>(text.size()));
    put(text.data(), text.size());
  }

 private:
  unsigned char* at_;
};

// Reads the plain record; every take is checked against what is left, so a
// record that authenticates but does not parse is refused, not overrun.
class Reader {
 public:
  Reader(const unsigned char* data, size_t size) : at_(data), left_(size) {}
  bool take(void* out, size_t size) {
    if (left_ < size) return false;
    std::memcpy(out, at_, size);
    at_ += size;
    left_ -= size;
    return true;
  }
  bool take8(bool& value) {
    unsigned char byte = 0;
    if (!take(&byte, 1)) return false;
    value = byte != 0;
    return true;
  }
  bool take32(uint32_t& value) {
    unsigned char le[4];
    if (!take(le, 4)) return false;
    value = le[0] | (le[1] << 8) | (le[2] << 16) | (static_cast<uint32_t>(le[3]) << 24);
    return true;
  }
  bool takeText(std::string& text) {
    uint32_t length = 0;
    if (!take32(length) || left_ < length) return false;
    text.assign(reinterpret_cast<const char*>(at_), length);
    at_ += length;
    left_ -= length;
    return true;
  }
  bool atEnd() const { return left_ == 0; }

 private:
  const unsigned char* at_;
  size_t left_;
};

}  // namespace

DocumentState::~DocumentState() {
  orka::secureWipe(text);
  orka::secureWipe(undo);
}

SealedState SealedState::seal(const DocumentState& state, const tolvane::DocumentKey& key) {
  if (sodium_init() < 0) throw orka::Error("ロックできません。");
  PlainBytes plain(kFixedPlainBytes + state.text.size() + state.undo.size());
  Writer out(plain.data());
  out.put32(state.selectionStart);
  out.put32(state.selectionEnd);
  out.put8(state.modified);
  out.put8(state.readOnly);
  out.put8(state.hasUndo);
  out.putText(state.text);
  out.putText(state.undo);

  SealedState sealed;
  sealed.modified_ = state.modified;
  sealed.record_.resize(kHeaderBytes + crypto_secretbox_MACBYTES + plain.size());
  unsigned char* salt = sealed.record_.data();
  unsigned char* nonce = salt + kSaltBytes;
  randombytes_buf(salt, kSaltBytes);
  randombytes_buf(nonce, kNonceBytes);
  const SealKey sealKey(key, salt);
  crypto_secretbox_easy(nonce + kNonceBytes, plain.data(), plain.size(), nonce, sealKey.get());
  return sealed;
}

bool SealedState::open(const tolvane::DocumentKey& key, DocumentState& state) const {
  if (sodium_init() < 0 || record_.size() < kHeaderBytes + crypto_secretbox_MACBYTES) return false;
  const unsigned char* salt = record_.data();
  const unsigned char* nonce = salt + kSaltBytes;
  const size_t boxBytes = record_.size() - kHeaderBytes;
  PlainBytes plain(boxBytes - crypto_secretbox_MACBYTES);
  const SealKey sealKey(key, salt);
  if (crypto_secretbox_open_easy(plain.data(), nonce + kNonceBytes, boxBytes, nonce, sealKey.get()) != 0)
    return false;

  DocumentState read;
  Reader in(plain.data(), plain.size());
  if (!in.take32(read.selectionStart) || !in.take32(read.selectionEnd) || !in.take8(read.modified) ||
      !in.take8(read.readOnly) || !in.take8(read.hasUndo) || !in.takeText(read.text) ||
      !in.takeText(read.undo) || !in.atEnd())
    return false;
  state.selectionStart = read.selectionStart;
  state.selectionEnd = read.selectionEnd;
  state.modified = read.modified;
  state.readOnly = read.readOnly;
  state.hasUndo = read.hasUndo;
  orka::secureWipe(state.text);
  orka::secureWipe(state.undo);
  state.text.swap(read.text);
  state.undo.swap(read.undo);
  return true;
}
