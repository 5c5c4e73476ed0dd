// Paths at the border of the Win32 "W" file functions (Windows only).
//
// widePath converts a UTF-8 path to UTF-16 and, when it is too long for the
// classic MAX_PATH parsing, gives it the "\\?\" form that the system takes
// up to its own much larger limit.  That form skips the usual clean-up, so
// it is made only of absolute paths ("C:\..." or "\\server\share\..."),
// with forward slashes turned into backslashes; other paths pass unchanged.
//
// fullPathName makes a path absolute against the current folder
// (GetFullPathNameW) at whatever length, without touching the file system;
// it gives an empty string when the system cannot.
#pragma once

#include <string>

namespace orka {

std::wstring fullPathName(const std::wstring& path);

namespace detail {

std::wstring widePath(const std::string& path);

}  // namespace detail
}  // namespace orka
