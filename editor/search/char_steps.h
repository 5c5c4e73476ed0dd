// Characters of a multi-byte ANSI code page, seen as bytes.
//
// The document text is a byte string in the system's ANSI code page (Shift_JIS
// on the target systems): a double-byte character is a lead byte followed by
// a trail byte, and every position is a byte offset.  Searching must step
// over whole characters so that a match never starts on a trail byte; this
// file holds the rules for that stepping and for comparing bytes with or
// without case folding.  Nothing here knows the platform: the editor builds a
// CodePage from what the system reports, the tests use shiftJis().
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace search {

class CodePage {
 public:
  // A code page without double-byte characters (every byte stands alone).
  CodePage() = default;
  // Code page 932: lead bytes 0x81-0x9F and 0xE0-0xFC; the full-width Latin
  // letters fold case.
  static CodePage shiftJis();
  // Lead bytes from inclusive [first, last] ranges such as the system lists
  // them (pairs, ended by a 0 byte or by the array's end).  `isShiftJis`
  // turns on the full-width letter folding, which only code page 932 has.
  template <std::size_t N>
  static CodePage fromLeadRanges(const unsigned char (&ranges)[N], bool isShiftJis) {
    return fromLeadRanges(ranges, N, isShiftJis);
  }
  static CodePage fromLeadRanges(const unsigned char* ranges, std::size_t count, bool isShiftJis);

  bool isLead(unsigned char byte) const { return lead_[byte]; }
  bool foldsFullWidth() const { return fullWidth_; }

 private:
  std::array<bool, 256> lead_{};
  bool fullWidth_ = false;
};

// Start of the character after the one at `pos`: pos + 2 for a lead byte
// followed by a byte other than NUL (a NUL ends the text, so the lead stands
// alone), pos + 1 otherwise.  The byte past the view counts as NUL.
std::size_t nextChar(const CodePage& cp, std::string_view text, std::size_t pos);

// Start of the character before `pos` (pos > 0), judged from the bytes alone:
// the run of lead-byte values that ends at pos - 2 decides it.  An odd run
// means the byte at pos - 2 opens a double-byte character; an even one means
// pos - 1 stands alone or is a trail byte.  This needs no known character
// start before it, at the price of walking that run.
std::size_t prevChar(const CodePage& cp, std::string_view text, std::size_t pos);

// Whether `count` bytes at `a` equal those at `b`, character by character
// along `b`: with `ignoreCase`, A-Z equal a-z, and for code page 932 the
// full-width Ａ-Ｚ equal ａ-ｚ; every other byte must be equal.  A lead byte
// that is the last of the `count` bytes is compared alone, as it is.
bool equalChars(const CodePage& cp, const unsigned char* a, const unsigned char* b, std::size_t count,
                bool ignoreCase);

}  // namespace search
