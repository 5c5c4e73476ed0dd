// UTF-8 <-> UTF-16 at the border of the Win32 "W" functions (Windows only).
// Invalid input is replaced, never rejected: these carry paths and texts the
// program made itself.
#pragma once

#include <string>
#include <string_view>

namespace orka {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view wide);

// UTF-16 <-> the ANSI code page, converted as the system does: a character
// the code page cannot hold becomes its substitute, as the edit control's
// text does when it is saved.
std::string wideToAnsi(std::wstring_view wide);
std::wstring ansiToWide(std::string_view ansi);

// How many bytes wideToAnsi(wide) gives, counted without making the copy.
size_t ansiByteCount(std::wstring_view wide);

}  // namespace orka
