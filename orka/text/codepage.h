// Conversions between the program's UTF-8 text and the code-page bytes that
// stored data fixes (document text, password bytes, settings strings).
//
// Conversions are strict: a character the target cannot hold, or bytes that
// are not valid in the source, make the conversion fail instead of turning
// into "?".  On Windows they use the system's tables; elsewhere iconv.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orka {

// The system's ANSI code page: GetACP() on Windows, 932 elsewhere, where
// documents and settings are read as the Japanese Windows systems wrote them.
unsigned ansiCodePage();

// UTF-8 to the bytes of `codePage`; nothing when a character has no mapping.
std::optional<std::string> utf8ToCodePage(std::string_view utf8, unsigned codePage);
// Bytes of `codePage` to UTF-8; nothing when the bytes are not valid there.
std::optional<std::string> codePageToUtf8(std::string_view bytes, unsigned codePage);

// The number of a code page from a name such as "932", "cp932", "shift_jis",
// "utf-8" or "1252"; nothing for names we do not know.
std::optional<unsigned> codePageFromName(std::string_view name);

}  // namespace orka
