#include "orka/crypto/wipe.h"

namespace orka {

void secureWipe(void* data, std::size_t size) {
  // Stores through a volatile pointer count as observable, so they survive
  // even when the memory is freed right after.
  volatile unsigned char* p = static_cast<volatile unsigned char*>(data);
  while (size-- > 0) *p++ = 0;
}

void wipeString(std::string& text) {
  if (text.capacity() != 0) secureWipe(text.data(), text.capacity());
  text.clear();
}

}  // namespace orka
