#include "orka/streams/buffered_stream.h"

#include <cstring>

#include "orka/errors/error.h"

namespace orka {

BufferedReadStream::BufferedReadStream(DataReadStream* next) {
  setNext(next, true);
  if (!next) throw StreamError(StreamError::kInvalidStream);
}

uint32_t BufferedReadStream::read(void* buffer, uint32_t count) {
  unsigned char* out = static_cast<unsigned char*>(buffer);
  uint32_t done = 0;
  while (done < count) {
    if (position_ == count_) {
      count_ = next()->read(block_, kBlockSize);
      position_ = 0;
      if (count_ == 0) break;
    }
    const uint32_t piece = count - done < count_ - position_ ? count - done : count_ - position_;
    std::memcpy(out + done, block_ + position_, piece);
    position_ += piece;
    done += piece;
  }
  return done;
}

uint32_t BufferedReadStream::size() { return next()->size(); }
void BufferedReadStream::seek(int32_t, int) { throw StreamError(StreamError::kUnsupported); }
uint32_t BufferedReadStream::tell() { return next()->tell() - (count_ - position_); }
bool BufferedReadStream::isOpen() { return next() && next()->isOpen(); }

}  // namespace orka
