// Zeroing that the optimiser may not drop, for keys and digest state on
// their way out, and for plaintext left in buffers.
#pragma once

#include <cstddef>
#include <string>

namespace orka {

void secureWipe(void* data, std::size_t size);

// Overwrites all of `text`'s storage, the spare room past its end included
// (a text that shrank keeps its old bytes there, and a short text lives
// inside the object itself), and empties it.
void wipeString(std::string& text);

}  // namespace orka
