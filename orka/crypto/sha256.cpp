#include "orka/crypto/sha256.h"

#include <cstring>

#include "orka/crypto/wipe.h"

namespace orka {
namespace {

// First 32 bits of the fractional parts of the cube roots of the first 64
// primes (FIPS 180-2, 4.2.2).
constexpr uint32_t kK[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

// First 32 bits of the fractional parts of the square roots of the first 8
// primes (FIPS 180-2, 5.3.2).
constexpr uint32_t kInitialHash[8] = {
    0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19,
};

inline uint32_t rotr(uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }
inline uint32_t Ch(uint32_t x, uint32_t y, uint32_t z) { return (x & y) ^ (~x & z); }
inline uint32_t Maj(uint32_t x, uint32_t y, uint32_t z) { return (x & y) ^ (x & z) ^ (y & z); }
inline uint32_t Sigma0(uint32_t x) { return rotr(x, 2) ^ rotr(x, 13) ^ rotr(x, 22); }
inline uint32_t Sigma1(uint32_t x) { return rotr(x, 6) ^ rotr(x, 11) ^ rotr(x, 25); }
inline uint32_t sigma0(uint32_t x) { return rotr(x, 7) ^ rotr(x, 18) ^ (x >> 3); }
inline uint32_t sigma1(uint32_t x) { return rotr(x, 17) ^ rotr(x, 19) ^ (x >> 10); }

inline uint32_t load32be(const unsigned char* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

inline void store32be(unsigned char* p, uint32_t v) {
  p[0] = static_cast<unsigned char>(v >> 24);
  p[1] = static_cast<unsigned char>(v >> 16);
  p[2] = static_cast<unsigned char>(v >> 8);
  p[3] = static_cast<unsigned char>(v);
}

}  // namespace

SHA256::SHA256() { init(); }

SHA256::~SHA256() {
  secureWipe(state_, sizeof state_);
  secureWipe(block_, sizeof block_);
}

void SHA256::init() {
  std::memcpy(state_, kInitialHash, sizeof state_);
  blockUsed_ = 0;
  totalBytes_ = 0;
  finished_ = false;
}

void SHA256::compress(const unsigned char* block) {
  // The message schedule: the block's 16 words, then 48 more mixed from them.
  uint32_t W[64];
  for (int t = 0; t < 16; ++t) W[t] = load32be(block + 4 * t);
  for (int t = 16; t < 64; ++t) W[t] = sigma1(W[t - 2]) + W[t - 7] + sigma0(W[t - 15]) + W[t - 16];

  uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
  uint32_t e = state_[4], f = state_[5], g = state_[6], h = state_[7];
  for (int t = 0; t < 64; ++t) {
    const uint32_t T1 = h + Sigma1(e) + Ch(e, f, g) + kK[t] + W[t];
    const uint32_t T2 = Sigma0(a) + Maj(a, b, c);
    h = g;
    g = f;
    f = e;
    e = d + T1;
    d = c;
    c = b;
    b = a;
    a = T1 + T2;
  }
  state_[0] += a;
  state_[1] += b;
  state_[2] += c;
  state_[3] += d;
  state_[4] += e;
  state_[5] += f;
  state_[6] += g;
  state_[7] += h;
}

void SHA256::update(const void* data, uint32_t count) {
  if (finished_) init();
  const unsigned char* in = static_cast<const unsigned char*>(data);
  totalBytes_ += count;  // wraps at 4 GiB; see the header

  if (blockUsed_ > 0) {
    const uint32_t take = count < 64 - blockUsed_ ? count : 64 - blockUsed_;
    std::memcpy(block_ + blockUsed_, in, take);
    blockUsed_ += take;
    in += take;
    count -= take;
    if (blockUsed_ < 64) return;
    compress(block_);
    blockUsed_ = 0;
  }
  for (; count >= 64; count -= 64, in += 64) compress(in);
  if (count > 0) std::memcpy(block_, in, count);
  blockUsed_ = count;
}

const unsigned char* SHA256::final() {
  unsigned char* out = reinterpret_cast<unsigned char*>(state_);
  if (finished_) return out;

  block_[blockUsed_++] = 0x80;
  if (blockUsed_ > 56) {
    std::memset(block_ + blockUsed_, 0, 64 - blockUsed_);
    compress(block_);
    blockUsed_ = 0;
  }
  std::memset(block_ + blockUsed_, 0, 56 - blockUsed_);
  // The length in bits as 64 bits, of which a 32-bit byte count fills 35.
  store32be(block_ + 56, totalBytes_ >> 29);
  store32be(block_ + 60, totalBytes_ << 3);
  compress(block_);
  blockUsed_ = 0;

  // Rewriting the words as big-endian bytes in their own storage: each word
  // is read into a local before its four bytes are overwritten.
  for (int i = 0; i < 8; ++i) store32be(out + 4 * i, state_[i]);
  finished_ = true;
  return out;
}

const unsigned char* SHA256::digest() { return reinterpret_cast<const unsigned char*>(state_); }

}  // namespace orka
