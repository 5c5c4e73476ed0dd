// AES-256 in the byte order of our document files.
//
// RijndaelBE is FIPS-197 AES with a 256-bit key and 14 rounds, except that
// every 4-byte group of the key, of each input block and of each output block
// is reversed relative to the standard (each group is read as a little-endian
// word).  Every stored document depends on that order.  An object is keyed
// for one direction; `chain` carries CBC / CFB-1 state across calls, so
// consecutive calls continue one message.
#pragma once

#include <cstdint>

#include "orka/crypto/crypter.h"

namespace orka {

class RijndaelBE : public Crypter {
 public:
  enum Mode { kECB = 1, kCBC = 2, kCFB1 = 3 };

  // A zero chain; key with setEncryptKey or setDecryptKey before use.
  explicit RijndaelBE(int mode = kCBC);
  ~RijndaelBE() override;  // wipes the key schedule

  // Build the key schedule from a 32-byte key; both return the round count, 14.
  int setEncryptKey(const unsigned char key[32]);
  int setDecryptKey(const unsigned char key[32]);

  void encrypt(const void* input, uint32_t count, void* output) override;
  void decrypt(const void* input, uint32_t count, void* output) override;
  // 16 in ECB and CBC, 1 in CFB-1.
  uint32_t blockSize() override;

  int mode() const { return mode_; }
  void setMode(int mode) { mode_ = mode; }
  // Zeroes the chaining value, starting a new message.
  void resetChain();

 private:
  // Implementation detail fields are the implementer's (round keys, chain,
  // rounds, a flag for the hardware path).
  uint32_t roundKeys_[60];
  uint32_t chain_[4];
  int rounds_;
  int mode_;
  bool hardware_;
};

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
  uint32_t state_[8];  // after final(): the 32 digest bytes, big-endian words
  unsigned char block_[64];
  uint32_t blockUsed_;
  uint32_t totalBytes_;
  bool finished_;
};

}  // namespace orka
