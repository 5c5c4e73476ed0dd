// The hardware path of RijndaelBE.  This file alone is compiled with the AES
// and SSE4.1 instruction sets enabled (extras.cmake), and nothing in it runs
// unless CPUID reported them; so it keeps to intrinsics and file-local
// functions, lest the linker pick an AES-compiled copy of some shared inline
// function for the rest of the program.
#include "orka/crypto/aes_hw.h"
#include "orka/crypto/cpu_features.h"

#if ORKA_X86
#include <immintrin.h>
#include <wmmintrin.h>

namespace orka {
namespace aesni {
namespace {

constexpr int kRounds = 14;

// Reverses the bytes of each 4-byte group: between our stored order and the
// standard one, in both directions.  Round keys stored as native
// (little-endian) FIPS-197 words come out in the standard order the same way.
inline __m128i swapGroups(__m128i v) {
  return _mm_shuffle_epi8(v, _mm_set_epi8(12, 13, 14, 15, 8, 9, 10, 11, 4, 5, 6, 7, 0, 1, 2, 3));
}

inline __m128i load(const unsigned char* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

inline void store(unsigned char* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

struct RoundKeys {
  __m128i k[kRounds + 1];
};

inline RoundKeys loadKeys(const uint32_t* words) {
  RoundKeys r;
  for (int i = 0; i <= kRounds; ++i)
    r.k[i] = swapGroups(_mm_loadu_si128(reinterpret_cast<const __m128i*>(words + 4 * i)));
  return r;
}

// Rounds 1 to 14, for a block that already has round key 0 added.  They are
// written out so that the compiler keeps the keys in registers: in CBC
// encryption this chain of 14 dependent instructions per block is the whole
// cost.
inline __m128i encryptRounds(const RoundKeys& rk, __m128i b) {
  b = _mm_aesenc_si128(b, rk.k[1]);
  b = _mm_aesenc_si128(b, rk.k[2]);
  b = _mm_aesenc_si128(b, rk.k[3]);
  b = _mm_aesenc_si128(b, rk.k[4]);
  b = _mm_aesenc_si128(b, rk.k[5]);
  b = _mm_aesenc_si128(b, rk.k[6]);
  b = _mm_aesenc_si128(b, rk.k[7]);
  b = _mm_aesenc_si128(b, rk.k[8]);
  b = _mm_aesenc_si128(b, rk.k[9]);
  b = _mm_aesenc_si128(b, rk.k[10]);
  b = _mm_aesenc_si128(b, rk.k[11]);
  b = _mm_aesenc_si128(b, rk.k[12]);
  b = _mm_aesenc_si128(b, rk.k[13]);
  return _mm_aesenclast_si128(b, rk.k[14]);
}

inline __m128i encryptBlock(const RoundKeys& rk, __m128i b) {
  return encryptRounds(rk, _mm_xor_si128(b, rk.k[0]));
}

inline __m128i decryptBlock(const RoundKeys& rk, __m128i b) {
  b = _mm_xor_si128(b, rk.k[0]);
  for (int r = 1; r < kRounds; ++r) b = _mm_aesdec_si128(b, rk.k[r]);
  return _mm_aesdeclast_si128(b, rk.k[kRounds]);
}

// Eight independent blocks at once: each AES instruction takes several
// cycles to deliver but a new one can start every cycle, so interleaving
// hides the latency wherever blocks do not depend on each other.
constexpr std::size_t kLanes = 8;

template <bool kDecrypt>
inline void cipherLanes(const RoundKeys& rk, __m128i b[kLanes]) {
  for (std::size_t j = 0; j < kLanes; ++j) b[j] = _mm_xor_si128(b[j], rk.k[0]);
  for (int r = 1; r < kRounds; ++r) {
    const __m128i k = rk.k[r];
    for (std::size_t j = 0; j < kLanes; ++j)
      b[j] = kDecrypt ? _mm_aesdec_si128(b[j], k) : _mm_aesenc_si128(b[j], k);
  }
  const __m128i k = rk.k[kRounds];
  for (std::size_t j = 0; j < kLanes; ++j)
    b[j] = kDecrypt ? _mm_aesdeclast_si128(b[j], k) : _mm_aesenclast_si128(b[j], k);
}

template <bool kDecrypt>
void ecb(const uint32_t keys[60], const unsigned char* in, std::size_t blocks, unsigned char* out) {
  const RoundKeys rk = loadKeys(keys);
  for (; blocks >= kLanes; blocks -= kLanes, in += 16 * kLanes, out += 16 * kLanes) {
    __m128i b[kLanes];
    for (std::size_t j = 0; j < kLanes; ++j) b[j] = swapGroups(load(in + 16 * j));
    cipherLanes<kDecrypt>(rk, b);
    for (std::size_t j = 0; j < kLanes; ++j) store(out + 16 * j, swapGroups(b[j]));
  }
  for (; blocks > 0; --blocks, in += 16, out += 16) {
    const __m128i b = swapGroups(load(in));
    store(out, swapGroups(kDecrypt ? decryptBlock(rk, b) : encryptBlock(rk, b)));
  }
}

}  // namespace

void encryptEcb(const uint32_t keys[60], const unsigned char* in, std::size_t blocks, unsigned char* out) {
  ecb<false>(keys, in, blocks, out);
}

void decryptEcb(const uint32_t keys[60], const unsigned char* in, std::size_t blocks, unsigned char* out) {
  ecb<true>(keys, in, blocks, out);
}

void encryptCbc(const uint32_t keys[60], unsigned char chain[16], const unsigned char* in, std::size_t blocks,
                unsigned char* out) {
  const RoundKeys rk = loadKeys(keys);
  // The chain stays in standard order: the group reversal of the next input
  // and of this output then sit off the serial path.
  // The first round key is added to the plaintext ahead of time, leaving a
  // single XOR between one block's last round and the next block's first.
  __m128i c = swapGroups(load(chain));
  for (; blocks > 0; --blocks, in += 16, out += 16) {
    const __m128i p = _mm_xor_si128(swapGroups(load(in)), rk.k[0]);
    c = encryptRounds(rk, _mm_xor_si128(c, p));
    store(out, swapGroups(c));
  }
  store(chain, swapGroups(c));
}

void decryptCbc(const uint32_t keys[60], unsigned char chain[16], const unsigned char* in, std::size_t blocks,
                unsigned char* out) {
  const RoundKeys rk = loadKeys(keys);
  // XOR commutes with the group reversal, so the chain is kept as stored.
  __m128i prev = load(chain);
  for (; blocks >= kLanes; blocks -= kLanes, in += 16 * kLanes, out += 16 * kLanes) {
    __m128i b[kLanes];
    for (std::size_t j = 0; j < kLanes; ++j) b[j] = swapGroups(load(in + 16 * j));
    const __m128i last = load(in + 16 * (kLanes - 1));
    cipherLanes<true>(rk, b);
    // Rather than holding eight ciphertext blocks in registers, each is read
    // again for the XOR.  Writing from the last block backwards keeps that
    // right when decrypting in place: output j only overwrites input j, which
    // is no longer needed, while input j - 1 is still intact.
    for (std::size_t j = kLanes - 1; j > 0; --j)
      store(out + 16 * j, _mm_xor_si128(swapGroups(b[j]), load(in + 16 * (j - 1))));
    store(out, _mm_xor_si128(swapGroups(b[0]), prev));
    prev = last;
  }
  for (; blocks > 0; --blocks, in += 16, out += 16) {
    const __m128i c = load(in);
    store(out, _mm_xor_si128(swapGroups(decryptBlock(rk, swapGroups(c))), prev));
    prev = c;
  }
  store(chain, prev);
}

}  // namespace aesni
}  // namespace orka

#else  // no AES instructions on this architecture; RijndaelBE never calls these.

namespace orka {
namespace aesni {
void encryptEcb(const uint32_t*, const unsigned char*, std::size_t, unsigned char*) {}
void decryptEcb(const uint32_t*, const unsigned char*, std::size_t, unsigned char*) {}
void encryptCbc(const uint32_t*, unsigned char*, const unsigned char*, std::size_t, unsigned char*) {}
void decryptCbc(const uint32_t*, unsigned char*, const unsigned char*, std::size_t, unsigned char*) {}
}  // namespace aesni
}  // namespace orka

#endif
