// Conversions between the program's UTF-8 text and the code-page bytes that
// stored data fixes (document text, password bytes, settings strings).
//
// The rule, the same on every platform:
//
//  - Bytes to UTF-8 takes the code page's own table; bytes that are not valid
//    in the code page make the conversion fail.
//  - UTF-8 to bytes succeeds only when converting the bytes back gives the
//    text again, so nothing is ever dropped, replaced by "?" or turned into
//    some other character.  Invalid UTF-8 fails too.
//  - The one exception is a short list of characters that Windows itself
//    writes in code page 932 as a neighbour that a Japanese reader takes for
//    the same character: yen sign and overline (the single-byte 0x5C and
//    0x7E, which Japanese fonts draw as ¥ and ‾), cent, pound and not
//    (their full-width forms), wave dash (full-width tilde), minus sign
//    (full-width hyphen-minus), em dash (horizontal bar) and double vertical
//    line (parallel to).  Those map one way, so that a password typed on
//    another system gives the same key.  Nothing else does.
//
// Windows uses its own tables and iconv is used elsewhere; where their
// one-way habits differ, the round-trip check makes them agree.
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

// The bytes of a password in `codePage`, from which a document key is made:
// the one rule of every program here that takes a typed password.  It is
// utf8ToCodePage's, so a look-alike takes the code page's own form (a
// password typed on another system gives the same key) and only a character
// with no form at all in the code page gives nothing; such a password would
// otherwise share its key with another text.
std::optional<std::string> codePagePassword(std::string_view utf8, unsigned codePage);

// The number of a code page from a name such as "932", "cp932", "shift_jis",
// "utf-8" or "1252"; nothing for names we do not know.
std::optional<unsigned> codePageFromName(std::string_view name);

namespace detail {
// The platform's conversions, strict about invalid input and about
// characters the code page lacks, but free to make one-way substitutions.
std::optional<std::string> encodeText(std::string_view utf8, unsigned codePage);
std::optional<std::string> decodeText(std::string_view bytes, unsigned codePage);
}  // namespace detail

}  // namespace orka
