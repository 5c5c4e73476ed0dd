// UTF-8 <-> UTF-16 at the border of the Win32 "W" functions (Windows only).
// Invalid input is replaced, never rejected: these carry paths and texts the
// program made itself.  A text whose length or result does not fit the
// system converters' int lengths throws orka::Error rather than come out
// empty or cut.
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

// `wide` as the ANSI code page keeps it: wideToAnsi read back, so that
// what is shown is what saving writes.
std::wstring asAnsiStored(std::wstring_view wide);

// How many bytes wideToAnsi(wide) gives, counted without making the copy.
size_t ansiByteCount(std::wstring_view wide);

}  // namespace orka
