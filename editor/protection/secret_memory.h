// Keeping secrets out of the process's memory: the document key at rest,
// random bytes for fresh salts, and overwriting memory that is no longer
// ours but still holds what we once put there.
//
// ProtectedKey holds one 32-byte document key on a page of its own that is
// locked in RAM (so it never reaches the page file) and enciphered with
// CryptProtectMemory for this process while nobody uses it.  use() lends the
// plain key to a function in a stack copy that is wiped afterwards; clear()
// and replacing wipe the old key.  Not copyable; one thread at a time.
//
// Freed memory keeps its bytes: the heaps hand blocks back without wiping
// them, and the system's own controls (the edit control's text buffer as it
// grows, a dialog's fields) free theirs the same way.  wipeFreeHeapMemory()
// walks every heap of the process and zeroes its free blocks: first their
// middles in place, then whole, small ones included, by taking each block
// over from the heap, zeroing it and handing it back, so that only the
// heap's own links stand where the old bytes were.
// wipeUnusedStack() zeroes the stack below the caller, where earlier, deeper
// calls left their locals.  Both are for moments such as locking, when the
// secrets have just been let go.
#pragma once

#include <windows.h>

#include <cstddef>

#include <functional>

#include "document/document.h"

class ProtectedKey {
 public:
  ProtectedKey();
  ~ProtectedKey();
  ProtectedKey(const ProtectedKey&) = delete;
  ProtectedKey& operator=(const ProtectedKey&) = delete;

  // Keeps `key` (wiping the one held before); the caller wipes its own copy.
  void set(const tolvane::DocumentKey& key);
  // Wipes the key; empty() is true afterwards.
  void clear();
  bool empty() const { return empty_; }

  // Runs `user` with the plain key (all zeros while empty).
  void use(const std::function<void(const tolvane::DocumentKey&)>& user) const;
  // Whether `key` is the one held, comparing every byte.
  bool matches(const tolvane::DocumentKey& key) const;

 private:
  unsigned char* page_ = nullptr;  // kStored bytes at the start of a locked page
  unsigned char fallback_[32] = {};  // when no page could be had
  bool empty_ = true;
  bool protected_ = false;  // whether the stored bytes are enciphered

  unsigned char* storage() const;
};

// Fills `size` bytes from the system's random number generator; throws
// orka::Error when it fails.
void systemRandomBytes(void* data, std::size_t size);

void wipeFreeHeapMemory();
void wipeUnusedStack();
