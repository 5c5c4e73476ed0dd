// AES-256 in the byte order of our document files.
//
// RijndaelBE is FIPS-197 AES with a 256-bit key and 14 rounds, except that
// every 4-byte group of the key, of each input block and of each output block
// is reversed relative to the standard (each group is read as a little-endian
// word).  Every stored document depends on that order: a plain AES wrapped in
// those reversals gives the same bytes, an unwrapped one does not.
//
// Modes: ECB, CBC, and CFB-1 (one bit per cipher call, block size 1).  The
// chaining value starts as 16 zero bytes and carries over between calls, so
// consecutive calls continue one message; a new message needs a new object
// or resetChain().  In ECB and CBC a count that is not a multiple of 16
// leaves its last partial block untouched.
//
// Where the processor has the AES instructions they do the work; otherwise
// lookup tables do.  Both give the same bytes.  Never fails, never throws.
// Objects are not shared between threads.
#pragma once

#include <cstdint>

#include "orka/crypto/crypter.h"
#include "orka/crypto/sha256.h"

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

  // Process-wide switch for the AES instructions, read when a key is set.
  // Tests turn it off to exercise the tables on machines that have them.
  static void setHardwareAllowed(bool allowed);
  // True when this object's current key runs on the AES instructions.
  bool usesHardware() const { return hardware_; }

 private:
  void cfb1(const unsigned char* in, uint32_t count, unsigned char* out, bool encrypting);
  void encryptOneBlock(const unsigned char in[16], unsigned char out[16]) const;

  // Key schedules as FIPS-197 words w[i] (row 0 in the most significant
  // byte).  Both directions are kept: CFB-1 runs the forward cipher even when
  // deciphering, and a stray call in the other direction still computes the
  // right thing instead of garbage.  decKeys_ is the equivalent inverse
  // cipher's schedule: encKeys_ in reverse round order with InvMixColumns
  // applied to rounds 1 to 13.
  uint32_t encKeys_[60];
  uint32_t decKeys_[60];
  // The CBC chaining value / CFB-1 shift register, in stored byte order.
  unsigned char chain_[16];
  int mode_;
  bool hardware_;
};

}  // namespace orka
