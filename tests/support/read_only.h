// Marks a file read-only the way the platform does it (the read-only
// attribute on Windows, no write permission bits elsewhere).
#pragma once

#include <string>

namespace testing_support {

void makeReadOnly(const std::string& path);

}  // namespace testing_support
