// What the processor offers beyond the baseline, asked once through CPUID.
// Internal to orka/crypto.
#pragma once

#if defined(__x86_64__) || defined(_M_X64) || defined(__i386__) || defined(_M_IX86)
#define ORKA_X86 1
#else
#define ORKA_X86 0
#endif

namespace orka {

// The AES instructions together with the SSE4.1 and SSSE3 shuffles that the
// hardware path also uses.  Always false off x86.
bool cpuHasAesInstructions();

}  // namespace orka
