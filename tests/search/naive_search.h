// A deliberately plain search over Shift_JIS bytes, step by step as the rules
// read, to check the fast engine against (tests and fuzz targets).
//
// Every operation walks one character at a time from where the rules say,
// compares by folding each character on its own, and Replace all edits the
// text match by match with the caret after each replacement.  Slow on
// purpose; use small texts.  An empty search text finds nothing, as in the
// engine (the dialogs never send one).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace naive {

inline bool isLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

inline unsigned char byteAt(std::string_view s, std::size_t i) {
  return i < s.size() ? static_cast<unsigned char>(s[i]) : 0;
}

inline std::size_t nextChar(std::string_view s, std::size_t p) {
  return isLead(byteAt(s, p)) && byteAt(s, p + 1) != 0 ? p + 2 : p + 1;
}

inline std::size_t prevChar(std::string_view s, std::size_t p) {
  if (p == 1) return 0;
  std::size_t k = 0;
  for (std::size_t i = p - 2;; --i) {
    if (!isLead(byteAt(s, i))) break;
    ++k;
    if (i == 0) break;
  }
  return k % 2 == 1 ? p - 2 : p - 1;
}

// One character (one or two bytes) as a number, case folded when asked.
inline unsigned folded(unsigned code, bool ignoreCase) {
  if (!ignoreCase) return code;
  if (code >= 'A' && code <= 'Z') return code + 0x20;
  if (code >= 0x8260 && code <= 0x8279) return code + 0x21;
  return code;
}

// The n bytes at `pos` against the pattern, character by character of the
// pattern.
inline bool equalAt(std::string_view text, std::size_t pos, std::string_view pattern, bool ignoreCase) {
  if (pos + pattern.size() > text.size()) return false;
  for (std::size_t i = 0; i < pattern.size();) {
    const std::size_t next = nextChar(pattern, i);
    unsigned a = 0;
    unsigned b = 0;
    for (std::size_t k = i; k < next; ++k) {
      a = a << 8 | byteAt(text, pos + k);
      b = b << 8 | byteAt(pattern, k);
    }
    if (folded(a, ignoreCase) != folded(b, ignoreCase)) return false;
    i = next;
  }
  return true;
}

inline bool selectionMatches(std::string_view text, std::size_t s, std::size_t e, std::string_view pattern,
                             bool ignoreCase) {
  return e - s == pattern.size() && equalAt(text, s, pattern, ignoreCase);
}

inline std::optional<std::size_t> findNext(std::string_view text, std::size_t s, std::size_t e,
                                           std::string_view pattern, bool down, bool ignoreCase) {
  const std::size_t n = pattern.size();
  if (n == 0) return std::nullopt;
  if (down) {
    std::size_t p = s;
    if (selectionMatches(text, s, e, pattern, ignoreCase)) p = nextChar(text, s);
    for (; p + n <= text.size(); p = nextChar(text, p)) {
      if (equalAt(text, p, pattern, ignoreCase)) return p;
    }
    return std::nullopt;
  }
  if (s == 0) return std::nullopt;
  for (std::size_t c = prevChar(text, s);; c = prevChar(text, c)) {
    if (equalAt(text, c, pattern, ignoreCase)) return c;
    if (c == 0) return std::nullopt;
  }
}

// Replace all the way the dialog's button describes it: caret to 0, then
// find, replace the selection, go on from the caret after the new text.
inline std::string replaceAll(std::string text, std::string_view pattern, std::string_view replacement,
                              bool ignoreCase) {
  std::size_t caret = 0;
  while (auto hit = findNext(text, caret, caret, pattern, true, ignoreCase)) {
    text.replace(*hit, pattern.size(), replacement);
    caret = *hit + replacement.size();
  }
  return text;
}

inline std::string initialSearchText(std::string_view selected) {
  while (!selected.empty() && (selected.front() == '\r' || selected.front() == '\n')) selected.remove_prefix(1);
  std::string out;
  for (char c : selected) {
    if (c == '\r' || c == '\n') break;
    out += c;
  }
  return out;
}

}  // namespace naive
