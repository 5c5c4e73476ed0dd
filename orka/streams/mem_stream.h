// A growable write stream in memory.
//
// Starts with a 65,536-byte buffer and doubles it as writes need more room.
// What it holds is the document's text, so every block it lets go of (the
// one it grew out of, the last one) is wiped first.
// `size` is the high-water mark: the furthest position ever written.  Seeks
// stay within [0, size]; the space beyond is reachable only by writing.  The
// owner reads the bytes through data().
#pragma once

#include <cstdint>

#include "orka/streams/stream.h"

namespace orka {

class MemWriteStream : public DataWriteStream {
 public:
  static constexpr uint32_t kInitialCapacity = 0x10000;

  MemWriteStream();
  ~MemWriteStream() override;

  void write(const void* data, uint32_t count) override;
  void flush(bool deep) override;
  void seek(int32_t offset, int origin) override;
  uint32_t tell() override;
  uint32_t size() override;
  bool isOpen() override;
  // Makes room for at least `needed` bytes, doubling the capacity.
  virtual void reserve(uint32_t needed);

  // For a producer that fills the buffer in place instead of copying into
  // it: room for `count` more bytes at the write position (grown like a
  // write would grow it), which commit() then counts as written.
  unsigned char* writableTail(uint32_t count);
  void commit(uint32_t count);

  const unsigned char* data() const { return buffer_; }
  unsigned char* data() { return buffer_; }
  uint32_t capacity() const { return capacity_; }

 private:
  void checkOpen();

  unsigned char* buffer_;
  uint32_t capacity_;
  uint32_t length_;    // high-water mark
  uint32_t position_;  // where the next write goes
};

}  // namespace orka
