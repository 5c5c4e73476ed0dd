// Zeroing that the optimiser may not drop, for keys and digest state on
// their way out, and for plaintext left in buffers.  Internal to orka.
#pragma once

#include <cstddef>

namespace orka {

void secureWipe(void* data, std::size_t size);

}  // namespace orka
