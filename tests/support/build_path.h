// Paths the build hands to the Windows tests (Windows only).  CMake knows
// them as Unix paths; under wine the Z: drive maps the Unix root.
#pragma once

#include <filesystem>
#include <string>

namespace testing_support {

inline std::filesystem::path fromBuildPath(const wchar_t* unixPath) {
  std::wstring path = unixPath;
  if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  return std::filesystem::path(path);
}

}  // namespace testing_support
