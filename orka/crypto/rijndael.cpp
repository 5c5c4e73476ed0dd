#include "orka/crypto/rijndael.h"

#include <atomic>
#include <cstring>

#include "orka/crypto/aes_hw.h"
#include "orka/crypto/aes_tables.h"
#include "orka/crypto/cpu_features.h"
#include "orka/crypto/wipe.h"

namespace orka {
namespace {

constexpr int kRounds = 14;  // AES-256
constexpr uint32_t kBlock = 16;

std::atomic<bool> gHardwareAllowed{true};

// Our byte order: each 4-byte group is a little-endian word whose most
// significant byte is the standard's first byte of that group.
inline uint32_t load32le(const unsigned char* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

inline void store32le(unsigned char* p, uint32_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
  p[2] = static_cast<unsigned char>(v >> 16);
  p[3] = static_cast<unsigned char>(v >> 24);
}

inline uint8_t byteOf(uint32_t w, int row) { return static_cast<uint8_t>(w >> (24 - 8 * row)); }

uint32_t SubWord(uint32_t w) {
  const uint8_t* S = aes::kTables.sbox;
  return (uint32_t{S[byteOf(w, 0)]} << 24) | (uint32_t{S[byteOf(w, 1)]} << 16) |
         (uint32_t{S[byteOf(w, 2)]} << 8) | S[byteOf(w, 3)];
}

uint32_t RotWord(uint32_t w) { return (w << 8) | (w >> 24); }

// td[n][S[b]] is InvMixColumns of byte b alone in row n.
uint32_t InvMixColumn(uint32_t w) {
  const aes::Tables& t = aes::kTables;
  return t.td[0][t.sbox[byteOf(w, 0)]] ^ t.td[1][t.sbox[byteOf(w, 1)]] ^ t.td[2][t.sbox[byteOf(w, 2)]] ^
         t.td[3][t.sbox[byteOf(w, 3)]];
}

// FIPS-197 KeyExpansion for Nk = 8, followed by the schedule of the
// equivalent inverse cipher (5.3.5).
void KeyExpansion(const unsigned char key[32], uint32_t enc[60], uint32_t dec[60]) {
  for (int i = 0; i < 8; ++i) enc[i] = load32le(key + 4 * i);
  for (int i = 8; i < 4 * (kRounds + 1); ++i) {
    uint32_t temp = enc[i - 1];
    if (i % 8 == 0)
      temp = SubWord(RotWord(temp)) ^ aes::kTables.rcon[i / 8 - 1];
    else if (i % 8 == 4)
      temp = SubWord(temp);
    enc[i] = enc[i - 8] ^ temp;
  }

  for (int round = 0; round <= kRounds; ++round)
    for (int c = 0; c < 4; ++c) dec[4 * round + c] = enc[4 * (kRounds - round) + c];
  for (int i = 4; i < 4 * kRounds; ++i) dec[i] = InvMixColumn(dec[i]);
}

// One block through the cipher (FIPS-197 Cipher) or the equivalent inverse
// cipher (InvCipher); the two share their shape.  In each round the four
// lookups per column do SubBytes and MixColumns (or their inverses) at once,
// and taking row r of column c from column c + r (c - r when inverting) is
// ShiftRows (InvShiftRows); AddRoundKey follows.  The last round has no
// MixColumns and uses the bare S-box.
template <bool kInverse>
void Rounds(const uint32_t* rk, const unsigned char in[16], unsigned char out[16]) {
  const aes::Tables& t = aes::kTables;
  const uint32_t(&mix)[4][256] = kInverse ? t.td : t.te;
  const uint8_t* box = kInverse ? t.invSbox : t.sbox;
  constexpr int kStep = kInverse ? 3 : 1;  // column offset per row, modulo 4

  uint32_t s[4], n[4];
  for (int c = 0; c < 4; ++c) s[c] = load32le(in + 4 * c) ^ rk[c];
  for (int round = 1; round < kRounds; ++round) {
    rk += 4;
    for (int c = 0; c < 4; ++c) {
      n[c] = mix[0][s[c] >> 24] ^ mix[1][(s[(c + kStep) & 3] >> 16) & 0xff] ^
             mix[2][(s[(c + 2 * kStep) & 3] >> 8) & 0xff] ^ mix[3][s[(c + 3 * kStep) & 3] & 0xff] ^ rk[c];
    }
    std::memcpy(s, n, sizeof s);
  }
  rk += 4;
  for (int c = 0; c < 4; ++c) {
    const uint32_t w =
        (uint32_t{box[s[c] >> 24]} << 24) | (uint32_t{box[(s[(c + kStep) & 3] >> 16) & 0xff]} << 16) |
        (uint32_t{box[(s[(c + 2 * kStep) & 3] >> 8) & 0xff]} << 8) | box[s[(c + 3 * kStep) & 3] & 0xff];
    store32le(out + 4 * c, w ^ rk[c]);
  }
}

void Cipher(const uint32_t* rk, const unsigned char in[16], unsigned char out[16]) {
  Rounds<false>(rk, in, out);
}

void InvCipher(const uint32_t* rk, const unsigned char in[16], unsigned char out[16]) {
  Rounds<true>(rk, in, out);
}

inline void xorBlock(unsigned char* dst, const unsigned char* a, const unsigned char* b) {
  for (uint32_t i = 0; i < kBlock; ++i) dst[i] = static_cast<unsigned char>(a[i] ^ b[i]);
}

}  // namespace

RijndaelBE::RijndaelBE(int mode) : mode_(mode), hardware_(false) {
  std::memset(encKeys_, 0, sizeof encKeys_);
  std::memset(decKeys_, 0, sizeof decKeys_);
  std::memset(chain_, 0, sizeof chain_);
}

RijndaelBE::~RijndaelBE() {
  secureWipe(encKeys_, sizeof encKeys_);
  secureWipe(decKeys_, sizeof decKeys_);
  secureWipe(chain_, sizeof chain_);
}

void RijndaelBE::setHardwareAllowed(bool allowed) { gHardwareAllowed = allowed; }

int RijndaelBE::setEncryptKey(const unsigned char key[32]) {
  KeyExpansion(key, encKeys_, decKeys_);
  hardware_ = gHardwareAllowed && cpuHasAesInstructions();
  return kRounds;
}

// The same schedules serve both directions; see the header.
int RijndaelBE::setDecryptKey(const unsigned char key[32]) { return setEncryptKey(key); }

void RijndaelBE::resetChain() { std::memset(chain_, 0, sizeof chain_); }

uint32_t RijndaelBE::blockSize() { return mode_ >= kCFB1 ? 1 : kBlock; }

void RijndaelBE::encryptOneBlock(const unsigned char in[16], unsigned char out[16]) const {
  if (hardware_)
    aesni::encryptEcb(encKeys_, in, 1, out);
  else
    Cipher(encKeys_, in, out);
}

void RijndaelBE::encrypt(const void* input, uint32_t count, void* output) {
  const unsigned char* in = static_cast<const unsigned char*>(input);
  unsigned char* out = static_cast<unsigned char*>(output);
  if (mode_ >= kCFB1) return cfb1(in, count, out, true);

  const uint32_t blocks = count / kBlock;
  if (hardware_) {
    if (mode_ == kCBC)
      aesni::encryptCbc(encKeys_, chain_, in, blocks, out);
    else
      aesni::encryptEcb(encKeys_, in, blocks, out);
    return;
  }
  for (uint32_t b = 0; b < blocks; ++b, in += kBlock, out += kBlock) {
    if (mode_ == kCBC) {
      unsigned char x[kBlock];
      xorBlock(x, in, chain_);
      Cipher(encKeys_, x, chain_);
      std::memcpy(out, chain_, kBlock);
    } else {
      Cipher(encKeys_, in, out);
    }
  }
}

void RijndaelBE::decrypt(const void* input, uint32_t count, void* output) {
  const unsigned char* in = static_cast<const unsigned char*>(input);
  unsigned char* out = static_cast<unsigned char*>(output);
  if (mode_ >= kCFB1) return cfb1(in, count, out, false);

  const uint32_t blocks = count / kBlock;
  if (hardware_) {
    if (mode_ == kCBC)
      aesni::decryptCbc(decKeys_, chain_, in, blocks, out);
    else
      aesni::decryptEcb(decKeys_, in, blocks, out);
    return;
  }
  for (uint32_t b = 0; b < blocks; ++b, in += kBlock, out += kBlock) {
    if (mode_ == kCBC) {
      // Keep the ciphertext first: with in == out it is about to be overwritten.
      unsigned char c[kBlock], p[kBlock];
      std::memcpy(c, in, kBlock);
      InvCipher(decKeys_, c, p);
      xorBlock(out, p, chain_);
      std::memcpy(chain_, c, kBlock);
    } else {
      InvCipher(decKeys_, in, out);
    }
  }
}

// CFB with 1-bit feedback: the forward cipher in both directions, eight
// cipher calls per byte, bits taken from the most significant end.
void RijndaelBE::cfb1(const unsigned char* in, uint32_t count, unsigned char* out, bool encrypting) {
  unsigned char o[kBlock];
  for (uint32_t i = 0; i < count; ++i) {
    const unsigned inByte = in[i];
    unsigned outByte = 0;
    for (int bit = 7; bit >= 0; --bit) {
      encryptOneBlock(chain_, o);
      const unsigned inBit = (inByte >> bit) & 1u;
      const unsigned outBit = inBit ^ (o[0] >> 7);
      const unsigned cipherBit = encrypting ? outBit : inBit;
      // Shift the register left by one bit as a 128-bit big-endian number.
      for (uint32_t j = 0; j + 1 < kBlock; ++j)
        chain_[j] = static_cast<unsigned char>((chain_[j] << 1) | (chain_[j + 1] >> 7));
      chain_[kBlock - 1] = static_cast<unsigned char>((chain_[kBlock - 1] << 1) | cipherBit);
      outByte |= outBit << static_cast<unsigned>(bit);
    }
    out[i] = static_cast<unsigned char>(outByte);
  }
  secureWipe(o, sizeof o);
}

}  // namespace orka
