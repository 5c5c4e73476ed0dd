#include "orka/text/codepage.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <iterator>

#include "orka/crypto/wipe.h"

namespace orka {
namespace {

// The characters that code page 932 stores as a look-alike, as UTF-8, with
// the character it stores instead (one that converts back to itself).
struct LookAlike {
  std::string_view from;
  std::string_view to;
};
constexpr LookAlike kLookAlikes932[] = {
    {"\u00A5", "\\"},       // yen sign: 0x5C, drawn as ¥ in Japanese fonts
    {"\u203E", "~"},        // overline: 0x7E, drawn as ‾
    {"\u00A2", "\uFFE0"},   // cent sign: full-width cent
    {"\u00A3", "\uFFE1"},   // pound sign: full-width pound
    {"\u00AC", "\uFFE2"},   // not sign: full-width not
    {"\u301C", "\uFF5E"},   // wave dash: full-width tilde
    {"\u2212", "\uFF0D"},   // minus sign: full-width hyphen-minus
    {"\u2014", "\u2015"},   // em dash: horizontal bar
    {"\u2016", "\u2225"},   // double vertical line: parallel to
};

// `utf8` with each look-alike replaced; unchanged for other code pages.
std::string foldLookAlikes(std::string_view utf8, unsigned codePage) {
  std::string out;
  if (codePage != 932) return std::string(utf8);
  // The text may be a password: room for the longest result up front, so
  // that the string never moves and leaves a copy behind.  A replacement
  // is at most half as long again as what it replaces (two bytes to three).
  out.reserve(utf8.size() + utf8.size() / 2);
  size_t i = 0;
  while (i < utf8.size()) {
    const LookAlike* match = nullptr;
    // Every look-alike starts with a byte of 0xC2 or above; ASCII and most
    // text pass without a table search.
    if (static_cast<unsigned char>(utf8[i]) >= 0xC2) {
      match = std::find_if(std::begin(kLookAlikes932), std::end(kLookAlikes932),
                           [&](const LookAlike& l) { return utf8.compare(i, l.from.size(), l.from) == 0; });
      if (match == std::end(kLookAlikes932)) match = nullptr;
    }
    if (match) {
      out += match->to;
      i += match->from.size();
    } else {
      out += utf8[i++];
    }
  }
  return out;
}

// Windows reads the single byte 0x80 of code page 932 as U+0080, iconv
// refuses it.  It is no character of Shift_JIS, so both refuse it.
bool hasLoneByte80(std::string_view bytes) {
  for (size_t i = 0; i < bytes.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c == 0x80) return true;
    if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) ++i;  // a lead byte and its trail
  }
  return false;
}

}  // namespace

std::optional<std::string> utf8ToCodePage(std::string_view utf8, unsigned codePage) {
  // Every copy on the way is wiped: the text may be a password.
  std::string text = foldLookAlikes(utf8, codePage);
  std::optional<std::string> bytes = detail::encodeText(text, codePage);
  if (bytes) {
    // The platforms' converters make substitutions of their own (and iconv
    // silently drops some characters): only what comes back unchanged counts.
    std::optional<std::string> back = codePageToUtf8(*bytes, codePage);
    const bool same = back && *back == text;
    if (back) secureWipe(*back);
    if (!same) {
      secureWipe(*bytes);
      bytes.reset();
    }
  }
  secureWipe(text);
  return bytes;
}

std::optional<std::string> codePageToUtf8(std::string_view bytes, unsigned codePage) {
  if (codePage == 932 && hasLoneByte80(bytes)) return std::nullopt;
  return detail::decodeText(bytes, codePage);
}

std::optional<std::string> codePagePassword(std::string_view utf8, unsigned codePage) {
  return utf8ToCodePage(utf8, codePage);
}

std::optional<unsigned> codePageFromName(std::string_view name) {
  std::string n(name);
  std::transform(n.begin(), n.end(), n.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  n.erase(std::remove(n.begin(), n.end(), '-'), n.end());
  n.erase(std::remove(n.begin(), n.end(), '_'), n.end());
  if (n == "shiftjis" || n == "sjis" || n == "windows31j" || n == "mskanji") return 932u;
  if (n == "utf8") return 65001u;
  if (n == "latin1" || n == "iso88591") return 28591u;
  for (const char* prefix : {"windows", "cp", "ms"}) {
    size_t len = std::char_traits<char>::length(prefix);
    if (n.compare(0, len, prefix) == 0) {
      n.erase(0, len);
      break;
    }
  }
  if (n.empty() || !std::all_of(n.begin(), n.end(), [](unsigned char c) { return std::isdigit(c); }) ||
      n.size() > 5)
    return std::nullopt;
  unsigned value = static_cast<unsigned>(std::strtoul(n.c_str(), nullptr, 10));
  if (value == 0) return std::nullopt;
  return value;
}

}  // namespace orka
