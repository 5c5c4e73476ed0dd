// The stream filters under the strong format (strong_document.h): libsodium's
// secretstream over 64 KiB pieces.
//
// SecretWriteStream writes the given header bytes, then the stream header
// it draws, then seals what is written in pieces of kStrongChunkSize: a full
// piece is sealed only when more data follows it, so that the last piece,
// sealed by flush(), carries the FINAL tag and holds data.  The header
// bytes and the stream header together (kStrongHeaderSize) are the
// additional data of the first piece.  No write is valid after flush();
// the destructor writes nothing.
//
// SecretReadStream takes the file after its first kStrongHeaderSize bytes
// were read into `header`, and delivers the opened pieces.  Every way a
// stream can be wrong (a piece that does not open, a short piece that is not
// FINAL, an empty FINAL piece after others, the end of the file before
// FINAL, bytes after FINAL, an unknown tag) is StreamError 13, thrown at the
// read that meets it.  finish() reads on to the end and so checks the rest
// of the file when the reader above stopped early (a zlib stream ends before
// its last piece is taken).
//
// Both take over `next` (also when their constructor throws), copy the key
// into their libsodium state, and wipe that state and their plaintext
// buffers when destroyed.  Seeking, tell and size are not supported
// (StreamError 8).  One thread at a time.
#pragma once

#include <sodium.h>

#include <cstdint>
#include <memory>

#include "document/strong_document.h"
#include "orka/streams/stream.h"

namespace tolvane {

class SecretWriteStream : public orka::ForwardWriteStream {
 public:
  // `header` holds the first kStrongHeaderSize - 24 bytes of the file.
  SecretWriteStream(orka::DataWriteStream* next, const DocumentKey& key, const unsigned char* header);
  ~SecretWriteStream() override;

  void write(const void* data, uint32_t count) override;
  void flush(bool deep) override;
  bool isOpen() override;

 private:
  void seal(unsigned char tag);

  crypto_secretstream_xchacha20poly1305_state state_;
  unsigned char header_[kStrongHeaderSize];
  bool first_ = true;
  bool finished_ = false;
  uint32_t pending_ = 0;
  std::unique_ptr<unsigned char[]> plain_;
  std::unique_ptr<unsigned char[]> sealed_;
};

class SecretReadStream : public orka::ForwardReadStream {
 public:
  // `header` is the file's first kStrongHeaderSize bytes, already read.
  SecretReadStream(orka::DataReadStream* next, const DocumentKey& key, const unsigned char* header);
  ~SecretReadStream() override;

  uint32_t read(void* buffer, uint32_t count) override;
  // Reads and checks the rest of the stream, throwing away its plaintext.
  void finish();
  bool isOpen() override;

 private:
  // Opens the next piece into plain_; false once the FINAL piece is used up.
  bool openPiece();

  crypto_secretstream_xchacha20poly1305_state state_;
  unsigned char header_[kStrongHeaderSize];
  bool first_ = true;
  bool final_ = false;
  uint32_t plainCount_ = 0;
  uint32_t plainPos_ = 0;
  std::unique_ptr<unsigned char[]> plain_;
  std::unique_ptr<unsigned char[]> sealed_;
};

}  // namespace tolvane
