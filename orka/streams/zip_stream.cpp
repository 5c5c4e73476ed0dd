#include "orka/streams/zip_stream.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "orka/errors/error.h"

namespace orka {
namespace detail {
namespace {

ZlibMemory& zlibMemory() {
  static ZlibMemory memory;
  return memory;
}

}  // namespace

void setZlibMemory(const ZlibMemory& memory) { zlibMemory() = memory; }

}  // namespace detail

namespace {

// Each block zlib asks for carries its size in front of it, so that it can
// be wiped when zlib frees it; the space keeps zlib's part aligned.
constexpr size_t kSizeHeader = alignof(std::max_align_t);

voidpf allocateForZlib(voidpf opaque, uInt items, uInt size) {
  const detail::ZlibMemory& memory = *static_cast<const detail::ZlibMemory*>(opaque);
  const size_t total = kSizeHeader + size_t{items} * size;
  if (total > std::numeric_limits<uInt>::max()) return Z_NULL;
  void* block = memory.alloc ? memory.alloc(memory.opaque, 1, static_cast<uInt>(total)) : std::malloc(total);
  if (!block) return Z_NULL;
  std::memcpy(block, &total, sizeof total);
  return static_cast<unsigned char*>(block) + kSizeHeader;
}

void freeForZlib(voidpf opaque, voidpf address) {
  const detail::ZlibMemory& memory = *static_cast<const detail::ZlibMemory*>(opaque);
  unsigned char* block = static_cast<unsigned char*>(address) - kSizeHeader;
  size_t total;
  std::memcpy(&total, block, sizeof total);
  if (memory.free) {
    secureWipe(block, total);
    memory.free(memory.opaque, block);
  } else {
    freeWiped(block, total);
  }
}

// `memory` is the stream's own copy of the functions, which zlib keeps
// using until the stream ends.
void prepare(z_stream& zs, detail::ZlibMemory& memory) {
  zs = z_stream{};
  memory = detail::zlibMemory();
  zs.zalloc = allocateForZlib;
  zs.zfree = freeForZlib;
  zs.opaque = &memory;
}

}  // namespace

// ---------------------------------------------------------------------------
// ZipWriteStream

ZipWriteStream::ZipWriteStream(DataWriteStream* next) {
  // Linked first, so that the base destructor releases `next` if we throw.
  setNext(next, true);
  if (!next) throw StreamError(StreamError::kInvalidStream);
  out_.reset(kBufferSize);
  prepare(zs_, memory_);
  if (deflateInit2(&zs_, kLevel, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw StreamError(StreamError::kCompressorInitFailed);
  initialised_ = true;
  zs_.next_out = out_.get();
  zs_.avail_out = kBufferSize;
}

ZipWriteStream::~ZipWriteStream() {
  if (initialised_) deflateEnd(&zs_);
}

void ZipWriteStream::drainFull() {
  zs_.next_out = out_.get();
  zs_.avail_out = kBufferSize;
  next()->write(out_.get(), kBufferSize);
}

void ZipWriteStream::write(const void* data, uint32_t count) {
  if (count == 0) return;
  if (finished_) throw StreamError(StreamError::kInvalidStream);
  zs_.next_in = static_cast<Bytef*>(const_cast<void*>(data));
  zs_.avail_in = count;
  do {
    if (deflate(&zs_, Z_SYNC_FLUSH) != Z_OK) throw StreamError(StreamError::kCompressFailed);
    if (zs_.avail_out == 0) drainFull();
  } while (zs_.avail_in > 0);
}

void ZipWriteStream::flush(bool deep) {
  if (!finished_) {
    for (;;) {
      int result = deflate(&zs_, Z_FINISH);
      if (result == Z_STREAM_END) break;
      if (result != Z_OK) throw StreamError(StreamError::kCompressFailed);
      if (zs_.avail_out == 0) drainFull();
    }
    finished_ = true;
    deflateEnd(&zs_);
    initialised_ = false;
    uint32_t used = kBufferSize - zs_.avail_out;
    if (used > 0) next()->write(out_.get(), used);
  }
  if (deep || ownsNext()) next()->flush(deep);
}

bool ZipWriteStream::isOpen() { return next() && next()->isOpen(); }

// ---------------------------------------------------------------------------
// ZipReadStream

ZipReadStream::ZipReadStream(DataReadStream* next) {
  setNext(next, true);
  if (!next) throw StreamError(StreamError::kInvalidStream);
  in_.reset(kBufferSize);
  prepare(zs_, memory_);
  zs_.next_in = in_.get();
  zs_.avail_in = 0;
  if (inflateInit(&zs_) != Z_OK) throw StreamError(StreamError::kCompressorInitFailed);
  initialised_ = true;
}

ZipReadStream::~ZipReadStream() {
  if (initialised_) inflateEnd(&zs_);
}

uint32_t ZipReadStream::read(void* buffer, uint32_t count) {
  if (count == 0 || ended_) return 0;
  zs_.next_out = static_cast<Bytef*>(buffer);
  zs_.avail_out = count;
  do {
    if (zs_.avail_in == 0) {
      zs_.next_in = in_.get();
      zs_.avail_in = next()->read(in_.get(), kBufferSize);
    }
    int result = inflate(&zs_, Z_NO_FLUSH);
    if (result == Z_STREAM_END) {
      ended_ = true;
      break;
    }
    // Covers damaged data, a wrong key (which looks the same) and input that
    // runs out before the stream ends (Z_BUF_ERROR with nothing to read).
    if (result != Z_OK) throw StreamError(StreamError::kDamagedOrWrongKey);
  } while (zs_.avail_out > 0);
  return count - zs_.avail_out;
}

bool ZipReadStream::isOpen() { return next() && next()->isOpen(); }

}  // namespace orka
