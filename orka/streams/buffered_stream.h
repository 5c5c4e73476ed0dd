// A read stream that takes its source in large blocks.
//
// File streams buffer nothing, so a reader that takes one byte at a time
// (readString) would make one system call per byte; this filter between
// them turns that into one call per block.  It owns `next` from the moment
// it is constructed.  Seeking is not supported (StreamError 8); errors of
// `next` pass through.  One thread at a time.
#pragma once

#include <cstdint>

#include "orka/streams/stream.h"

namespace orka {

class BufferedReadStream : public DataReadStream {
 public:
  static constexpr uint32_t kBlockSize = 8192;

  // Throws StreamError 10 when `next` is null.
  explicit BufferedReadStream(DataReadStream* next);

  uint32_t read(void* buffer, uint32_t count) override;
  uint32_t size() override;                        // the size of `next`
  void seek(int32_t offset, int origin) override;  // StreamError 8
  uint32_t tell() override;                        // bytes delivered, against `next`
  bool isOpen() override;

 private:
  unsigned char block_[kBlockSize];
  uint32_t count_ = 0;     // valid bytes in block_
  uint32_t position_ = 0;  // of those, already delivered
};

}  // namespace orka
