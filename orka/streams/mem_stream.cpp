#include "orka/streams/mem_stream.h"

#include <cstring>
#include <limits>
#include <new>

#include "orka/crypto/wipe.h"
#include "orka/errors/error.h"

namespace orka {

MemWriteStream::MemWriteStream()
    : buffer_(static_cast<unsigned char*>(allocateWiped(kInitialCapacity))),
      capacity_(kInitialCapacity),
      length_(0),
      position_(0) {}

MemWriteStream::~MemWriteStream() { freeWiped(buffer_, capacity_); }

void MemWriteStream::checkOpen() {
  if (!isOpen()) throw StreamError(StreamError::kInvalidStream);
}

void MemWriteStream::write(const void* data, uint32_t count) {
  unsigned char* at = writableTail(count);
  if (count) std::memcpy(at, data, count);
  commit(count);
}

unsigned char* MemWriteStream::writableTail(uint32_t count) {
  checkOpen();
  if (count > capacity_ - position_) {
    // The sum must not wrap: a stream cannot outgrow the 32-bit positions.
    if (count > std::numeric_limits<uint32_t>::max() - position_) throw std::bad_alloc();
    reserve(position_ + count);
  }
  return buffer_ + position_;
}

void MemWriteStream::commit(uint32_t count) {
  checkOpen();
  if (count > capacity_ - position_) throw StreamError(StreamError::kInvalidStream);
  position_ += count;
  if (position_ > length_) length_ = position_;
}

void MemWriteStream::flush(bool) { checkOpen(); }

void MemWriteStream::seek(int32_t offset, int origin) {
  uint32_t target;
  if (origin == kSeekBegin) {
    if (offset < 0 || static_cast<uint32_t>(offset) > length_) throw StreamError(StreamError::kSeekFailed);
    target = static_cast<uint32_t>(offset);
  } else if (origin == kSeekCurrent) {
    target = position_ + static_cast<uint32_t>(offset);  // a negative target wraps and fails
    if (target > length_) throw StreamError(StreamError::kSeekFailed);
  } else {
    if (offset > 0 || static_cast<uint32_t>(-static_cast<int64_t>(offset)) > length_)
      throw StreamError(StreamError::kSeekFailed);
    target = length_ - static_cast<uint32_t>(-static_cast<int64_t>(offset));
  }
  position_ = target;
}

uint32_t MemWriteStream::tell() {
  checkOpen();
  return position_;
}

uint32_t MemWriteStream::size() {
  checkOpen();
  return length_;
}

bool MemWriteStream::isOpen() { return buffer_ != nullptr; }

void MemWriteStream::reserve(uint32_t needed) {
  uint64_t grown = uint64_t{capacity_} * 2;
  while (grown < needed) grown *= 2;
  if (grown > std::numeric_limits<uint32_t>::max()) grown = std::numeric_limits<uint32_t>::max();
  // Not realloc: it would free the old block with the text still in it.
  // The copy costs as much as a realloc that cannot grow in place.
  unsigned char* moved = static_cast<unsigned char*>(allocateWiped(static_cast<size_t>(grown)));
  std::memcpy(moved, buffer_, length_);
  freeWiped(buffer_, capacity_);
  buffer_ = moved;
  capacity_ = static_cast<uint32_t>(grown);
}

}  // namespace orka
