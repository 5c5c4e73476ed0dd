#include "editor/protection/secret_memory.h"

#include <bcrypt.h>
#include <dpapi.h>
#include <sodium.h>

#include <algorithm>
#include <cstring>

#include "orka/errors/error.h"

namespace {

constexpr DWORD kKeyBytes = 32;  // a multiple of CRYPTPROTECTMEMORY_BLOCK_SIZE

}  // namespace

ProtectedKey::ProtectedKey() {
  // A page of its own, locked so that the key is never written to the page
  // file.  Without one (the lock quota is small) the key still stays
  // enciphered, in the object.
  void* page = VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (page && VirtualLock(page, 4096)) {
    page_ = static_cast<unsigned char*>(page);
  } else if (page) {
    VirtualFree(page, 0, MEM_RELEASE);
  }
}

ProtectedKey::~ProtectedKey() {
  clear();
  if (page_) {
    VirtualUnlock(page_, 4096);
    VirtualFree(page_, 0, MEM_RELEASE);
  }
}

unsigned char* ProtectedKey::storage() const { return page_ ? page_ : const_cast<unsigned char*>(fallback_); }

void ProtectedKey::set(const tolvane::DocumentKey& key) {
  clear();
  unsigned char* stored = storage();
  std::memcpy(stored, key.data(), kKeyBytes);
  protected_ = CryptProtectMemory(stored, kKeyBytes, CRYPTPROTECTMEMORY_SAME_PROCESS) != FALSE;
  empty_ = false;
}

void ProtectedKey::clear() {
  SecureZeroMemory(storage(), kKeyBytes);
  empty_ = true;
  protected_ = false;
}

void ProtectedKey::use(const std::function<void(const tolvane::DocumentKey&)>& user) const {
  tolvane::DocumentKey plain{};
  if (!empty_) {
    std::memcpy(plain.data(), storage(), kKeyBytes);
    if (protected_) CryptUnprotectMemory(plain.data(), kKeyBytes, CRYPTPROTECTMEMORY_SAME_PROCESS);
  }
  try {
    user(plain);
  } catch (...) {
    SecureZeroMemory(plain.data(), plain.size());
    throw;
  }
  SecureZeroMemory(plain.data(), plain.size());
}

bool ProtectedKey::matches(const tolvane::DocumentKey& key) const {
  bool same = false;
  use([&](const tolvane::DocumentKey& held) {
    same = sodium_memcmp(held.data(), key.data(), held.size()) == 0;
  });
  return same;
}

void systemRandomBytes(void* data, std::size_t size) {
  if (!BCRYPT_SUCCESS(BCryptGenRandom(nullptr, static_cast<PUCHAR>(data), static_cast<ULONG>(size),
                                      BCRYPT_USE_SYSTEM_PREFERRED_RNG)))
    throw orka::Error("乱数を得られません。");
}

namespace {

// Zeroes the middle of one free block: the heap keeps its list links at the
// start of a free block and a pointer back to it at the end.
void wipeFreeBlock(const PROCESS_HEAP_ENTRY& entry) {
  constexpr size_t kKeep = 4 * sizeof(void*);
  if (entry.cbData <= 2 * kKeep) return;
  auto* start = static_cast<unsigned char*>(entry.lpData) + kKeep;
  size_t size = entry.cbData - 2 * kKeep;
  // Only memory that is committed and writable all the way.
  MEMORY_BASIC_INFORMATION info{};
  while (size > 0 && VirtualQuery(start, &info, sizeof info) == sizeof info) {
    if (info.State != MEM_COMMIT || !(info.Protect & (PAGE_READWRITE | PAGE_EXECUTE_READWRITE)) ||
        (info.Protect & PAGE_GUARD))
      return;
    const size_t inRegion =
        static_cast<size_t>(static_cast<unsigned char*>(info.BaseAddress) + info.RegionSize - start);
    const size_t n = inRegion < size ? inRegion : size;
    SecureZeroMemory(start, n);
    start += n;
    size -= n;
  }
}

// A list kept outside the heaps while they are wiped: memory a heap hands
// out for it may be a block that still holds old bytes, and would take them
// past the wipe and back into the heap when the list goes.
template <typename T>
class PageList {
 public:
  explicit PageList(size_t capacity)
      : items_(static_cast<T*>(
            VirtualAlloc(nullptr, capacity * sizeof(T), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))),
        capacity_(items_ ? capacity : 0) {}
  ~PageList() {
    if (items_) VirtualFree(items_, 0, MEM_RELEASE);
  }
  PageList(const PageList&) = delete;
  PageList& operator=(const PageList&) = delete;

  bool push(T item) {
    if (size_ == capacity_) return false;
    items_[size_++] = item;
    return true;
  }
  void clear() { size_ = 0; }
  T* begin() { return items_; }
  T* end() { return items_ + size_; }

 private:
  T* items_;
  size_t capacity_;
  size_t size_ = 0;
};

// The free blocks of `heap` taken over and zeroed whole, then handed back.
// The heap keeps its own links in a free block, at places that differ
// between heaps and systems; a block it has handed out is ours from its
// first byte to its last, whatever its size.  Freeing it again writes only
// the heap's links over the zeros.
void wipeByTaking(HANDLE heap, PageList<SIZE_T>& sizes, PageList<void*>& taken) {
  std::sort(sizes.begin(), sizes.end(), [](SIZE_T a, SIZE_T b) { return a > b; });
  for (SIZE_T size : sizes) {
    void* block = HeapAlloc(heap, 0, size);
    if (!block) continue;
    SecureZeroMemory(block, HeapSize(heap, 0, block));
    if (!taken.push(block)) {
      HeapFree(heap, 0, block);
      break;
    }
  }
  for (void* block : taken) HeapFree(heap, 0, block);
}

}  // namespace

void wipeFreeHeapMemory() {
  HANDLE heaps[256];
  DWORD count = GetProcessHeaps(256, heaps);
  if (count > 256) count = 256;
  constexpr size_t kMostBlocks = 16384;
  PageList<SIZE_T> sizes(kMostBlocks);
  PageList<void*> taken(kMostBlocks);
  for (DWORD i = 0; i < count; ++i) {
    sizes.clear();
    taken.clear();
    if (!HeapLock(heaps[i])) continue;
    PROCESS_HEAP_ENTRY entry{};
    while (HeapWalk(heaps[i], &entry)) {
      // A free block has none of the busy, region or uncommitted flags.
      if (entry.wFlags != 0 || !entry.lpData) continue;
      wipeFreeBlock(entry);
      if (entry.cbData != 0) sizes.push(entry.cbData);
    }
    HeapUnlock(heaps[i]);
    wipeByTaking(heaps[i], sizes, taken);
  }
}

#if defined(_MSC_VER)
#define TOLVANE_NOINLINE __declspec(noinline)
#else
#define TOLVANE_NOINLINE __attribute__((noinline))
#endif

TOLVANE_NOINLINE void wipeUnusedStack() {
  // Deep enough for any call chain of the editor, far from the 2 MiB the
  // main thread has.
  unsigned char below[256 * 1024];
  SecureZeroMemory(below, sizeof below);
}
