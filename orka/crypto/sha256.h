// SHA-256 (FIPS 180-2) behind the MessageDigest interface.
//
// The object is reusable: init, any number of update, final, and again;
// update after final silently starts a new message.  final returns a pointer
// into the object that stays valid until the next update or init.  The byte
// counter is 32 bits wide, so messages must stay below 4 GiB (documents do).
// Never fails.  Not for sharing between threads.
#pragma once

#include <cstdint>

#include "orka/crypto/crypter.h"

namespace orka {

class SHA256 : public MessageDigest {
 public:
  SHA256();
  ~SHA256() override;  // wipes the state

  void init() override;
  void update(const void* data, uint32_t count) override;
  const unsigned char* final() override;
  const unsigned char* digest() override;
  uint32_t digestBits() override { return 256; }

 private:
  void compress(const unsigned char* block);

  uint32_t state_[8];  // after final(): the 32 digest bytes, big-endian words
  unsigned char block_[64];
  uint32_t blockUsed_;
  uint32_t totalBytes_;
  bool finished_;
};

}  // namespace orka
