// Filter streams that compress what is written and inflate what is read, in
// the zlib format (RFC 1950: two header bytes, deflate data, Adler-32).
//
// ZipWriteStream compresses at level 6 (32 KiB window, memory level 8,
// default strategy).  Every write() ends with a sync flush, so the output
// depends on how the data is split into writes; flush() finishes the zlib
// stream, writes the rest and flushes `next` (always, since it owns it).
// No write is valid after flush().  The destructor writes nothing.
//
// ZipReadStream inflates until the zlib stream ends by itself: a read comes
// back short only there, and whatever follows in `next` (padding, anything)
// is never looked at.  Data that is not a valid zlib stream, or that ends
// before the stream does, fails with StreamError 13.
//
// Their buffers and zlib's own memory are wiped before they are freed.
// Both take over `next` and destroy it with themselves, also when their
// constructor throws.  A zlib set-up failure is StreamError 11, a compression
// failure StreamError 12; errors of `next` pass through.  Seeking, tell and
// size are not supported (StreamError 8).  One thread at a time.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <memory>

#include "orka/crypto/wipe.h"
#include "orka/streams/stream.h"

namespace orka {

namespace detail {

// Where the zip streams get zlib's memory from.  Tests replace these to make
// zlib's allocations fail or to look at the blocks it frees; null functions
// mean std::malloc and std::free.  Either way each block is wiped before it
// is freed: zlib's window and state hold the text.
struct ZlibMemory {
  alloc_func alloc = nullptr;
  free_func free = nullptr;
  void* opaque = nullptr;
};
void setZlibMemory(const ZlibMemory& memory);

}  // namespace detail

class ZipWriteStream : public ForwardWriteStream {
 public:
  static constexpr uint32_t kBufferSize = 0x10000;
  static constexpr int kLevel = 6;

  explicit ZipWriteStream(DataWriteStream* next);
  ~ZipWriteStream() override;

  void write(const void* data, uint32_t count) override;
  void flush(bool deep) override;
  bool isOpen() override;

 private:
  // Hands the whole output buffer to `next` and starts it again.
  void drainFull();

  z_stream zs_{};
  detail::ZlibMemory memory_;
  bool initialised_ = false;
  bool finished_ = false;  // flush() ended the zlib stream
  WipedBuffer out_;
};

class ZipReadStream : public ForwardReadStream {
 public:
  static constexpr uint32_t kBufferSize = 0x10000;

  explicit ZipReadStream(DataReadStream* next);
  ~ZipReadStream() override;

  uint32_t read(void* buffer, uint32_t count) override;
  bool isOpen() override;

 private:
  z_stream zs_{};
  detail::ZlibMemory memory_;
  bool initialised_ = false;
  bool ended_ = false;  // the zlib stream has ended
  WipedBuffer in_;
};

}  // namespace orka
