// The lookup tables of the table-driven AES in rijndael.cpp.
//
// Every table is derived from GF(2^8) arithmetic at compile time by
// aes_tables.cpp, so nothing here is typed in by hand.  Words hold one state
// column with row 0 in the most significant byte, which is how RijndaelBE
// reads its blocks.  Internal to orka/crypto.
#pragma once

#include <cstdint>

namespace orka {
namespace aes {

struct Tables {
  uint8_t sbox[256];     // SubBytes
  uint8_t invSbox[256];  // InvSubBytes
  // te[0][x] is the MixColumns column of SubBytes(x) entering at row 0:
  // (02·S[x], S[x], S[x], 03·S[x]); te[n] is te[0] rotated right by 8n bits,
  // the same byte entering at row n.  One lookup per state byte thus does
  // SubBytes and MixColumns together; which byte is looked up does ShiftRows.
  uint32_t te[4][256];
  // td[0][x] = (0e·Si[x], 09·Si[x], 0d·Si[x], 0b·Si[x]): InvSubBytes and
  // InvMixColumns together, rotated the same way.
  uint32_t td[4][256];
  // Rcon[i] = x^(i-1) in the top byte; AES-256 uses the first seven.
  uint32_t rcon[7];
};

extern const Tables kTables;

}  // namespace aes
}  // namespace orka
