// Filter streams that encipher what is written and decipher what is read,
// block by block, with a borrowed Crypter.
//
// CryptWriteStream collects plaintext in a 2,048-byte buffer and hands each
// full buffer, enciphered in place, to `next`.  flush() pads the last piece
// with zero bytes up to the cipher's block size (no length marker: the data
// inside must know where it ends, as a zlib stream does), enciphers and
// writes it.  Nothing is written by the destructor: a chain destroyed
// without flush() loses what the buffer holds.
//
// CryptReadStream deciphers what `next` delivers.  A trailing piece shorter
// than a block (a damaged file) cannot be deciphered and is dropped; the
// reader above then sees the data end early.
//
// Both take over `next` (destroying it with themselves, also when their
// constructor throws) and borrow the crypter, which must outlive them; the
// crypter's chaining state runs on from call to call, so one stream is one
// message.  Seeking is not supported (StreamError 8).  Errors of `next` pass
// through unchanged.  One thread at a time.
#pragma once

#include <cstdint>

#include "orka/crypto/crypter.h"
#include "orka/streams/stream.h"

namespace orka {

class CryptWriteStream : public DataWriteStream {
 public:
  static constexpr uint32_t kPieceSize = 2048;

  // Throws StreamError 10 when `next` or `crypter` is null.
  CryptWriteStream(DataWriteStream* next, Crypter* crypter);
  ~CryptWriteStream() override;

  void write(const void* data, uint32_t count) override;
  // Pads, enciphers and writes what is pending, then flushes `next` when
  // `deep` is set or this stream owns it.
  void flush(bool deep) override;
  void seek(int32_t offset, int origin) override;  // StreamError 8
  // Bytes accepted so far: what `next` holds plus what is pending.
  uint32_t tell() override;
  uint32_t size() override;
  bool isOpen() override;

 private:
  void writePending(uint32_t count);

  Crypter* crypter_;
  uint32_t pendingCount_ = 0;
  unsigned char pending_[kPieceSize];
};

class CryptReadStream : public DataReadStream {
 public:
  static constexpr uint32_t kPieceSize = 2048;

  // Throws StreamError 10 when `next` or `crypter` is null.
  CryptReadStream(DataReadStream* next, Crypter* crypter);
  ~CryptReadStream() override;

  uint32_t read(void* buffer, uint32_t count) override;
  uint32_t size() override;                        // the size of `next`
  void seek(int32_t offset, int origin) override;  // StreamError 8
  // Bytes delivered so far, counted against the position of `next`.
  uint32_t tell() override;
  bool isOpen() override;

 private:
  // Fills `chunk_` from `next`; false at the end of the data.
  bool refill();
  // Reads whole pieces from `next` straight into the caller's buffer and
  // deciphers them there; returns the bytes made ready.
  uint32_t readDirect(unsigned char* buffer, uint32_t count);
  uint32_t wholeBlocks(uint32_t count);

  Crypter* crypter_;
  uint32_t chunkCount_ = 0;  // deciphered bytes in chunk_
  uint32_t chunkPos_ = 0;    // of those, already delivered
  uint32_t partial_ = 0;     // bytes after them still short of a whole block
  unsigned char chunk_[kPieceSize];
};

}  // namespace orka
