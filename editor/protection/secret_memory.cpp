#include "editor/protection/secret_memory.h"

#include <bcrypt.h>
#include <dpapi.h>
#include <sodium.h>

#include <cstring>
#include <vector>

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

unsigned char* ProtectedKey::storage() const {
  return page_ ? page_ : const_cast<unsigned char*>(fallback_);
}

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
  use([&](const tolvane::DocumentKey& held) { same = sodium_memcmp(held.data(), key.data(), held.size()) == 0; });
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
    const size_t inRegion = static_cast<size_t>(static_cast<unsigned char*>(info.BaseAddress) + info.RegionSize - start);
    const size_t n = inRegion < size ? inRegion : size;
    SecureZeroMemory(start, n);
    start += n;
    size -= n;
  }
}

}  // namespace

void wipeFreeHeapMemory() {
  std::vector<HANDLE> heaps(64);
  DWORD count = GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
  if (count > heaps.size()) {
    heaps.resize(count + 16);
    count = GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
    if (count > heaps.size()) count = static_cast<DWORD>(heaps.size());
  }
  for (DWORD i = 0; i < count; ++i) {
    if (!HeapLock(heaps[i])) continue;
    PROCESS_HEAP_ENTRY entry{};
    while (HeapWalk(heaps[i], &entry)) {
      // A free block has none of the busy, region or uncommitted flags.
      if (entry.wFlags == 0 && entry.lpData) wipeFreeBlock(entry);
    }
    HeapUnlock(heaps[i]);
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
