#include "orka/crypto/aes_tables.h"

namespace orka {
namespace aes {
namespace {

// Multiplication by x in GF(2^8) modulo the AES polynomial x^8+x^4+x^3+x+1.
constexpr uint8_t xtime(uint8_t a) { return static_cast<uint8_t>((a << 1) ^ ((a & 0x80) ? 0x1b : 0x00)); }

constexpr uint8_t rotl8(uint8_t a, int n) { return static_cast<uint8_t>((a << n) | (a >> (8 - n))); }

constexpr uint32_t rotr32(uint32_t w, int n) { return (w >> n) | (w << (32 - n)); }

constexpr uint32_t column(uint8_t r0, uint8_t r1, uint8_t r2, uint8_t r3) {
  return (uint32_t{r0} << 24) | (uint32_t{r1} << 16) | (uint32_t{r2} << 8) | r3;
}

// Powers and logarithms of the generator 03 make multiplication and inversion
// cheap enough for compile-time evaluation.
struct Field {
  uint8_t exp[256];
  uint8_t log[256];

  constexpr Field() : exp(), log() {
    uint8_t p = 1;
    for (int i = 0; i < 255; ++i) {
      exp[i] = p;
      log[p] = static_cast<uint8_t>(i);
      p = static_cast<uint8_t>(p ^ xtime(p));  // p * 03
    }
    exp[255] = exp[0];
  }

  constexpr uint8_t mul(uint8_t a, uint8_t b) const {
    return (a == 0 || b == 0) ? 0 : exp[(log[a] + log[b]) % 255];
  }

  constexpr uint8_t inverse(uint8_t a) const { return a == 0 ? 0 : exp[(255 - log[a]) % 255]; }
};

constexpr Tables build() {
  Tables t{};
  const Field f;

  // S-box: multiplicative inverse followed by the affine transformation.
  for (int x = 0; x < 256; ++x) {
    const uint8_t b = f.inverse(static_cast<uint8_t>(x));
    const uint8_t s = static_cast<uint8_t>(b ^ rotl8(b, 1) ^ rotl8(b, 2) ^ rotl8(b, 3) ^ rotl8(b, 4) ^ 0x63);
    t.sbox[x] = s;
    t.invSbox[s] = static_cast<uint8_t>(x);
  }

  for (int x = 0; x < 256; ++x) {
    const uint8_t s = t.sbox[x];
    const uint8_t si = t.invSbox[x];
    t.te[0][x] = column(f.mul(s, 2), s, s, f.mul(s, 3));
    t.td[0][x] = column(f.mul(si, 0x0e), f.mul(si, 0x09), f.mul(si, 0x0d), f.mul(si, 0x0b));
    for (int n = 1; n < 4; ++n) {
      t.te[n][x] = rotr32(t.te[0][x], 8 * n);
      t.td[n][x] = rotr32(t.td[0][x], 8 * n);
    }
  }

  uint8_t r = 1;
  for (int i = 0; i < 7; ++i) {
    t.rcon[i] = uint32_t{r} << 24;
    r = xtime(r);
  }
  return t;
}

constexpr Tables kBuilt = build();

// Spot checks against FIPS-197 (S-box figure 7, inverse figure 14), so a slip
// in the derivation fails the build instead of a test.
static_assert(kBuilt.sbox[0x00] == 0x63 && kBuilt.sbox[0x53] == 0xed && kBuilt.sbox[0xff] == 0x16, "S-box");
static_assert(kBuilt.invSbox[0x00] == 0x52 && kBuilt.invSbox[0xff] == 0x7d, "inverse S-box");
static_assert(kBuilt.te[0][0x00] == 0xc66363a5u && kBuilt.td[0][0x00] == 0x51f4a750u, "round tables");
static_assert(kBuilt.rcon[6] == 0x40000000u, "round constants");

}  // namespace

extern const Tables kTables = kBuilt;

}  // namespace aes
}  // namespace orka
