// Watching the blocks that orka's wiping free hands back, to prove that no
// text is left in them.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

#include "orka/crypto/wipe.h"

namespace testing_support {

// While it lives, records the size of every block freeWiped lets go of and
// whether any byte of it was still set when it went.
class FreedBlocks {
 public:
  FreedBlocks() {
    sizes().clear();
    dirty() = 0;
    orka::detail::setFreedBlockObserver(&record);
  }
  ~FreedBlocks() { orka::detail::setFreedBlockObserver(nullptr); }
  FreedBlocks(const FreedBlocks&) = delete;
  FreedBlocks& operator=(const FreedBlocks&) = delete;

  const std::vector<size_t>& seen() const { return sizes(); }
  // How many of them still held something.
  int unwiped() const { return dirty(); }

 private:
  static std::vector<size_t>& sizes() {
    static std::vector<size_t> s;
    return s;
  }
  static int& dirty() {
    static int d = 0;
    return d;
  }
  static void record(const void* block, size_t size) {
    const unsigned char* bytes = static_cast<const unsigned char*>(block);
    sizes().push_back(size);
    if (std::any_of(bytes, bytes + size, [](unsigned char b) { return b != 0; })) ++dirty();
  }
};

}  // namespace testing_support
