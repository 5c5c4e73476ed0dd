// Block ciphers and message digests, as the filter streams and the key
// derivation see them.  Neither fails: there are no error returns and
// nothing is thrown.  Objects are not shared between threads.
#pragma once

#include <cstdint>

namespace orka {

class Crypter {
 public:
  virtual ~Crypter() = default;
  // Enciphers `count` bytes (a multiple of blockSize()); in place allowed.
  virtual void encrypt(const void* input, uint32_t count, void* output) = 0;
  // The inverse of encrypt.
  virtual void decrypt(const void* input, uint32_t count, void* output) = 0;
  // The unit, in bytes, that counts must be a multiple of.
  virtual uint32_t blockSize() = 0;
};

class MessageDigest {
 public:
  virtual ~MessageDigest() = default;
  // Starts a new message.
  virtual void init() = 0;
  // Adds bytes; after final() this silently starts a new message.
  virtual void update(const void* data, uint32_t count) = 0;
  // Completes the digest and returns its bytes (again, unchanged, when
  // called twice).  Valid until the next update() or init().
  virtual const unsigned char* final() = 0;
  // The digest bytes; meaningful after final().
  virtual const unsigned char* digest() = 0;
  virtual uint32_t digestBits() = 0;
};

}  // namespace orka
