// AES-256 on the processor's AES instructions, in RijndaelBE's byte order.
//
// The key schedules are RijndaelBE's own (FIPS-197 words; for decryption the
// equivalent inverse cipher's), so both paths share one key expansion.
// `blocks` counts 16-byte blocks; input and output may be the same buffer.
// Callers must have checked cpuHasAesInstructions().  Internal to orka/crypto.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orka {
namespace aesni {

void encryptEcb(const uint32_t keys[60], const unsigned char* in, std::size_t blocks, unsigned char* out);
void decryptEcb(const uint32_t keys[60], const unsigned char* in, std::size_t blocks, unsigned char* out);
// chain: the CBC chaining value in stored byte order, updated.
void encryptCbc(const uint32_t keys[60], unsigned char chain[16], const unsigned char* in, std::size_t blocks,
                unsigned char* out);
void decryptCbc(const uint32_t keys[60], unsigned char chain[16], const unsigned char* in, std::size_t blocks,
                unsigned char* out);

}  // namespace aesni
}  // namespace orka
