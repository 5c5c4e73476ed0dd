// The libFuzzer entry of one target, chosen when the program is built.
#include "targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TOLVANE_FUZZ_TARGET(data, size);
  return 0;
}
