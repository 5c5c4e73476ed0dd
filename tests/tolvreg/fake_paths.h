// The file system the helper's tests pretend: the helper runs from a folder
// below "C:\Program Files", whose short form is "C:\PROGRA~1".
#pragma once

#include <string>

namespace tolvreg_test {

// Spells the short form of "C:\Program Files" long; leaves any other path
// as it is, as the system does with a path that is already long.
inline std::wstring fakeLongPath(const std::wstring& path) {
  const std::wstring shortForm = L"C:\\PROGRA~1\\";
  if (path.compare(0, shortForm.size(), shortForm) != 0) return path;
  return L"C:\\Program Files\\" + path.substr(shortForm.size());
}

}  // namespace tolvreg_test
