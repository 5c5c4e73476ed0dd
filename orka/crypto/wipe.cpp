#include "orka/crypto/wipe.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace orka {
namespace {

detail::FreedBlockObserver freedBlockObserver = nullptr;

// Called through a volatile pointer, memset cannot be proven to be memset,
// so the stores stay even when the memory is freed right after; and texts
// of many megabytes are wiped at memset's speed, not a byte at a time.
void* (*volatile const wipeWith)(void*, int, std::size_t) = std::memset;

}  // namespace

void secureWipe(void* data, std::size_t size) {
  if (size > 0) wipeWith(data, 0, size);
}

void* allocateWiped(std::size_t size) {
  void* block = std::malloc(size > 0 ? size : 1);
  if (!block) throw std::bad_alloc();
  return block;
}

void freeWiped(void* block, std::size_t size) {
  if (!block) return;
  secureWipe(block, size);
  if (freedBlockObserver) freedBlockObserver(block, size);
  std::free(block);
}

namespace detail {
void setFreedBlockObserver(FreedBlockObserver observer) { freedBlockObserver = observer; }
}  // namespace detail

}  // namespace orka
