// Zeroing that the optimiser may not drop, for keys and digest state on
// their way out.  Internal to orka/crypto.
#pragma once

#include <cstddef>

namespace orka {

void secureWipe(void* data, std::size_t size);

}  // namespace orka
