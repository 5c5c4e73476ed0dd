#include "orka/streams/crypt_stream.h"

#include <algorithm>
#include <cstring>

#include "orka/crypto/wipe.h"
#include "orka/errors/error.h"

namespace orka {
namespace {

[[noreturn]] void unsupported() { throw StreamError(StreamError::kUnsupported); }

}  // namespace

// ---------------------------------------------------------------------------
// CryptWriteStream

CryptWriteStream::CryptWriteStream(DataWriteStream* next, Crypter* crypter) : crypter_(crypter) {
  // Linked first, so that the base destructor releases `next` if we throw.
  setNext(next, true);
  if (!next || !crypter) throw StreamError(StreamError::kInvalidStream);
}

// Plaintext must not outlive the stream in freed memory.
CryptWriteStream::~CryptWriteStream() { secureWipe(pending_, sizeof pending_); }

void CryptWriteStream::writePending(uint32_t count) {
  crypter_->encrypt(pending_, count, pending_);
  // The piece is spent even if the write below fails: enciphering it a second
  // time on a later call would corrupt the output.
  pendingCount_ = 0;
  next()->write(pending_, count);
}

void CryptWriteStream::write(const void* data, uint32_t count) {
  const unsigned char* in = static_cast<const unsigned char*>(data);
  while (count > 0) {
    uint32_t take = std::min(count, kPieceSize - pendingCount_);
    std::memcpy(pending_ + pendingCount_, in, take);
    pendingCount_ += take;
    in += take;
    count -= take;
    if (pendingCount_ == kPieceSize) writePending(kPieceSize);
  }
}

void CryptWriteStream::flush(bool deep) {
  if (pendingCount_ > 0) {
    uint32_t block = std::max<uint32_t>(crypter_->blockSize(), 1);
    uint32_t padded = (pendingCount_ + block - 1) / block * block;
    std::memset(pending_ + pendingCount_, 0, padded - pendingCount_);
    writePending(padded);
  }
  if (deep || ownsNext()) next()->flush(deep);
}

void CryptWriteStream::seek(int32_t, int) { unsupported(); }
uint32_t CryptWriteStream::tell() { return next()->tell() + pendingCount_; }
uint32_t CryptWriteStream::size() { return tell(); }
bool CryptWriteStream::isOpen() { return next() && next()->isOpen(); }

// ---------------------------------------------------------------------------
// CryptReadStream
//
// chunk_ holds, in order: chunkPos_ bytes already delivered, the rest of the
// chunkCount_ deciphered bytes, then partial_ raw bytes that do not yet make
// a whole block (only when `next` delivered a piece that is not a multiple of
// the block size).

CryptReadStream::CryptReadStream(DataReadStream* next, Crypter* crypter) : crypter_(crypter) {
  setNext(next, true);
  if (!next || !crypter) throw StreamError(StreamError::kInvalidStream);
}

CryptReadStream::~CryptReadStream() { secureWipe(chunk_, sizeof chunk_); }

uint32_t CryptReadStream::wholeBlocks(uint32_t count) {
  uint32_t block = std::max<uint32_t>(crypter_->blockSize(), 1);
  return count - count % block;
}

bool CryptReadStream::refill() {
  for (;;) {
    if (partial_ > 0 && chunkCount_ > 0) std::memmove(chunk_, chunk_ + chunkCount_, partial_);
    chunkCount_ = chunkPos_ = 0;
    uint32_t got = next()->read(chunk_ + partial_, kPieceSize - partial_);
    if (got == 0) return false;  // a trailing partial block is dropped
    uint32_t total = partial_ + got;
    uint32_t whole = wholeBlocks(total);
    partial_ = total - whole;
    if (whole == 0) continue;
    crypter_->decrypt(chunk_, whole, chunk_);
    chunkCount_ = whole;
    return true;
  }
}

uint32_t CryptReadStream::read(void* buffer, uint32_t count) {
  unsigned char* out = static_cast<unsigned char*>(buffer);
  uint32_t delivered = 0;
  while (delivered < count) {
    if (chunkPos_ == chunkCount_) {
      uint32_t wanted = count - delivered;
      if (partial_ == 0 && wanted >= kPieceSize) {
        // Large requests skip the chunk: the same bytes, deciphered in place
        // in the caller's buffer, with one read from `next` instead of many.
        wanted -= wanted % kPieceSize;
        uint32_t got = next()->read(out + delivered, wanted);
        if (got == 0) break;
        uint32_t whole = wholeBlocks(got);
        if (whole > 0) crypter_->decrypt(out + delivered, whole, out + delivered);
        chunkCount_ = chunkPos_ = 0;
        partial_ = got - whole;
        std::memcpy(chunk_, out + delivered + whole, partial_);
        delivered += whole;
        continue;
      }
      if (!refill()) break;
    }
    uint32_t take = std::min(count - delivered, chunkCount_ - chunkPos_);
    std::memcpy(out + delivered, chunk_ + chunkPos_, take);
    chunkPos_ += take;
    delivered += take;
  }
  return delivered;
}

uint32_t CryptReadStream::size() { return next()->size(); }
void CryptReadStream::seek(int32_t, int) { unsupported(); }
uint32_t CryptReadStream::tell() { return next()->tell() - (chunkCount_ - chunkPos_) - partial_; }
bool CryptReadStream::isOpen() { return next() && next()->isOpen(); }

}  // namespace orka
