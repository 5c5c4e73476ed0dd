#include "document/secret_stream.h"

#include <algorithm>
#include <cstring>

#include "document/document_internal.h"
#include "orka/errors/error.h"

namespace tolvane {
namespace {

using orka::StreamError;

constexpr uint32_t kSealedSize = kStrongChunkSize + crypto_secretstream_xchacha20poly1305_ABYTES;
constexpr size_t kFixedHeaderSize = kStrongHeaderSize - crypto_secretstream_xchacha20poly1305_HEADERBYTES;
static_assert(crypto_secretstream_xchacha20poly1305_HEADERBYTES == 24, "the layout drawn in strong_document.h");

[[noreturn]] void damaged() { throw StreamError(StreamError::kDamagedOrWrongKey); }

}  // namespace

SecretWriteStream::SecretWriteStream(orka::DataWriteStream* next, const DocumentKey& key,
                                     const unsigned char* header) {
  setNext(next, true);
  if (!next) throw StreamError(StreamError::kInvalidStream);
  plain_.reset(new unsigned char[kStrongChunkSize]);
  sealed_.reset(new unsigned char[kSealedSize]);
  std::memcpy(header_, header, kFixedHeaderSize);
  crypto_secretstream_xchacha20poly1305_init_push(&state_, header_ + kFixedHeaderSize, key.data());
  next->write(header_, kStrongHeaderSize);
}

SecretWriteStream::~SecretWriteStream() {
  sodium_memzero(&state_, sizeof state_);
  sodium_memzero(plain_.get(), kStrongChunkSize);
}

void SecretWriteStream::seal(unsigned char tag) {
  unsigned long long sealedLength = 0;
  crypto_secretstream_xchacha20poly1305_push(&state_, sealed_.get(), &sealedLength, plain_.get(), pending_,
                                             first_ ? header_ : nullptr, first_ ? kStrongHeaderSize : 0, tag);
  first_ = false;
  pending_ = 0;
  next()->write(sealed_.get(), static_cast<uint32_t>(sealedLength));
}

void SecretWriteStream::write(const void* data, uint32_t count) {
  if (finished_) throw StreamError(StreamError::kWriteFailed);
  const unsigned char* p = static_cast<const unsigned char*>(data);
  while (count > 0) {
    // A full piece goes out only now that more follows: the last one is FINAL.
    if (pending_ == kStrongChunkSize) seal(crypto_secretstream_xchacha20poly1305_TAG_MESSAGE);
    uint32_t n = std::min<uint32_t>(count, static_cast<uint32_t>(kStrongChunkSize) - pending_);
    std::memcpy(plain_.get() + pending_, p, n);
    pending_ += n;
    p += n;
    count -= n;
  }
}

void SecretWriteStream::flush(bool deep) {
  if (!finished_) {
    seal(crypto_secretstream_xchacha20poly1305_TAG_FINAL);
    finished_ = true;
  }
  next()->flush(deep);
}

bool SecretWriteStream::isOpen() { return next() && next()->isOpen(); }

SecretReadStream::SecretReadStream(orka::DataReadStream* next, const DocumentKey& key,
                                   const unsigned char* header) {
  setNext(next, true);
  if (!next) throw StreamError(StreamError::kInvalidStream);
  plain_.reset(new unsigned char[kStrongChunkSize]);
  sealed_.reset(new unsigned char[kSealedSize]);
  std::memcpy(header_, header, kStrongHeaderSize);
  if (crypto_secretstream_xchacha20poly1305_init_pull(&state_, header_ + kFixedHeaderSize, key.data()) != 0)
    damaged();
}

SecretReadStream::~SecretReadStream() {
  sodium_memzero(&state_, sizeof state_);
  sodium_memzero(plain_.get(), kStrongChunkSize);
}

bool SecretReadStream::openPiece() {
  if (final_) return false;
  // A whole piece, or what is left of the file when that is less.
  uint32_t got = readUpTo(*next(), sealed_.get(), kSealedSize);
  if (got < crypto_secretstream_xchacha20poly1305_ABYTES) damaged();
  unsigned long long plainLength = 0;
  unsigned char tag = 0;
  if (crypto_secretstream_xchacha20poly1305_pull(&state_, plain_.get(), &plainLength, &tag, sealed_.get(), got,
                                                 first_ ? header_ : nullptr, first_ ? kStrongHeaderSize : 0) != 0)
    damaged();
  const bool firstPiece = first_;
  first_ = false;
  if (tag == crypto_secretstream_xchacha20poly1305_TAG_FINAL) {
    // The writer puts the last data into the FINAL piece; only a stream with
    // no data at all has an empty one, and then it is the only piece.
    if (plainLength == 0 && !firstPiece) damaged();
    unsigned char probe;
    if (next()->read(&probe, 1) != 0) damaged();
    final_ = true;
  } else if (tag != crypto_secretstream_xchacha20poly1305_TAG_MESSAGE || got < kSealedSize) {
    // Our writer fills every piece before the last; a short one means the
    // file ends here without its FINAL piece.
    damaged();
  }
  plainCount_ = static_cast<uint32_t>(plainLength);
  plainPos_ = 0;
  return true;
}

uint32_t SecretReadStream::read(void* buffer, uint32_t count) {
  unsigned char* out = static_cast<unsigned char*>(buffer);
  uint32_t done = 0;
  while (done < count) {
    if (plainPos_ == plainCount_ && !openPiece()) break;
    uint32_t n = std::min(count - done, plainCount_ - plainPos_);
    std::memcpy(out + done, plain_.get() + plainPos_, n);
    plainPos_ += n;
    done += n;
  }
  return done;
}

void SecretReadStream::finish() {
  plainPos_ = plainCount_;
  while (openPiece()) plainPos_ = plainCount_;
}

bool SecretReadStream::isOpen() { return next() && next()->isOpen(); }

}  // namespace tolvane
