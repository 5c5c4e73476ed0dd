#include <windows.h>

#include "orka/text/wide.h"
#include "support/read_only.h"

namespace testing_support {

void makeReadOnly(const std::string& path) {
  std::wstring wide = orka::widen(path);
  SetFileAttributesW(wide.c_str(), GetFileAttributesW(wide.c_str()) | FILE_ATTRIBUTE_READONLY);
}

}  // namespace testing_support
