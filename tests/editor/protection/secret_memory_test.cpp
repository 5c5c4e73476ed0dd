// Freed memory is wiped whole: a secret left in a small freed block, or near
// either end of a larger one, is gone after wipeFreeHeapMemory.  A heap of
// the test's own keeps its blocks in its free lists: the process heap moves
// sizes it serves often into bins of the low-fragmentation kind, whose free
// slots no walk of the heap reports.
#include "editor/protection/secret_memory.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

namespace {

// `size` bytes at `at` as the process holds them, whether in use or freed.
std::string peek(const void* at, size_t size) {
  std::string bytes(size, '\0');
  SIZE_T read = 0;
  ReadProcessMemory(GetCurrentProcess(), at, bytes.data(), size, &read);
  bytes.resize(read);
  return bytes;
}

TEST(SecretMemory, FreeHeapBlocksAreWipedWholeWhateverTheirSize) {
  const std::string secret = "--Qz7sekretPw--";
  struct Case {
    size_t block;
    size_t at;  // where the secret lies in the block
  };
  const Case cases[] = {{40, 20}, {64, 40}, {256, 24}, {256, 256 - 20}, {8192, 24}, {8192, 8192 - 20}};
  HANDLE heap = HeapCreate(0, 0, 0);
  ASSERT_NE(heap, nullptr);
  for (const Case& c : cases) {
    auto* block = static_cast<char*>(HeapAlloc(heap, 0, c.block));
    ASSERT_NE(block, nullptr);
    std::memset(block, 'x', c.block);
    std::memcpy(block + c.at, secret.data(), secret.size());
    HeapFree(heap, 0, block);
    wipeFreeHeapMemory();
    EXPECT_EQ(peek(block + c.at, secret.size()).find("sekret"), std::string::npos)
        << c.block << " bytes, at " << c.at;
  }
  HeapDestroy(heap);
}

}  // namespace
