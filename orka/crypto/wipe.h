// Zeroing that the optimiser may not drop: for keys and digest state on
// their way out, and for passwords and text left in buffers.  The one wipe
// of every part of the program that does not link libsodium.
//
// Freed memory keeps its bytes until it is used again, so a buffer that held
// a password or the document's text is wiped before it goes: strings with
// secureWipe(text), blocks from std::malloc with freeWiped (or WipedBuffer,
// which owns one).  A buffer that grows must wipe the block it leaves
// behind; realloc would free that one as it is.
#pragma once

#include <cstddef>
#include <string>

namespace orka {

void secureWipe(void* data, std::size_t size);

// Wipes all of `text`'s storage, the spare room past its end included (a
// text that shrank keeps its old characters there), and empties it.
template <typename Char>
void secureWipe(std::basic_string<Char>& text) {
  secureWipe(&text[0], text.capacity() * sizeof(Char));
  text.clear();
}

// A block of `size` bytes from std::malloc; throws std::bad_alloc.
void* allocateWiped(std::size_t size);
// Wipes the `size` bytes of `block` (from allocateWiped) and frees it.
void freeWiped(void* block, std::size_t size);

// A buffer of a fixed size, wiped and freed with its owner.
class WipedBuffer {
 public:
  WipedBuffer() = default;
  explicit WipedBuffer(std::size_t size) { reset(size); }
  ~WipedBuffer() { freeWiped(data_, size_); }
  WipedBuffer(const WipedBuffer&) = delete;
  WipedBuffer& operator=(const WipedBuffer&) = delete;

  // Lets go of the buffer held (wiped) and takes a new one of `size` bytes.
  void reset(std::size_t size) {
    unsigned char* fresh = static_cast<unsigned char*>(allocateWiped(size));
    freeWiped(data_, size_);
    data_ = fresh;
    size_ = size;
  }
  unsigned char* get() const { return data_; }

 private:
  unsigned char* data_ = nullptr;
  std::size_t size_ = 0;
};

namespace detail {
// A seam for tests: called with every block freeWiped hands back, after the
// wipe and just before the block is freed.  Null (the default) for none.
using FreedBlockObserver = void (*)(const void* block, std::size_t size);
void setFreedBlockObserver(FreedBlockObserver observer);
}  // namespace detail

}  // namespace orka
