#include "orka/crypto/cpu_features.h"

#if ORKA_X86 && defined(_MSC_VER)
#include <intrin.h>
#elif ORKA_X86
#include <cpuid.h>
#endif

namespace orka {
namespace {

// ECX of CPUID leaf 1, or 0 when the leaf does not exist.  The two compilers
// spell the instruction differently; this is the only place that cares.
unsigned cpuidLeaf1Ecx() {
#if ORKA_X86 && defined(_MSC_VER)
  int regs[4];
  __cpuid(regs, 0);
  if (regs[0] < 1) return 0;
  __cpuid(regs, 1);
  return static_cast<unsigned>(regs[2]);
#elif ORKA_X86
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return 0;
  return ecx;
#else
  return 0;
#endif
}

}  // namespace

bool cpuHasAesInstructions() {
  constexpr unsigned kSsse3 = 1u << 9, kSse41 = 1u << 19, kAes = 1u << 25;
  constexpr unsigned kNeeded = kSsse3 | kSse41 | kAes;
  static const bool has = (cpuidLeaf1Ecx() & kNeeded) == kNeeded;
  return has;
}

}  // namespace orka
