// UTF-8 <-> UTF-16 at the border of the Win32 "W" functions (Windows only).
// Invalid input is replaced, never rejected: these carry paths and texts the
// program made itself.
#pragma once

#include <string>
#include <string_view>

namespace orka {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view wide);

}  // namespace orka
