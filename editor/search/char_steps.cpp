#include "editor/search/char_steps.h"

namespace search {

namespace {

// Full-width Ａ-Ｚ are 0x8260-0x8279, ａ-ｚ 0x8281-0x829A: same lead byte,
// trail bytes 0x21 apart.
constexpr unsigned char kFullWidthLead = 0x82;
constexpr unsigned char kFullWidthUpperFirst = 0x60;
constexpr unsigned char kFullWidthUpperLast = 0x79;
constexpr unsigned char kFullWidthCaseGap = 0x21;

unsigned char foldAscii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 0x20) : c; }

unsigned char foldFullWidthTrail(unsigned char trail) {
  return (trail >= kFullWidthUpperFirst && trail <= kFullWidthUpperLast)
             ? static_cast<unsigned char>(trail + kFullWidthCaseGap)
             : trail;
}

unsigned char at(std::string_view text, std::size_t pos) {
  return pos < text.size() ? static_cast<unsigned char>(text[pos]) : 0;
}

}  // namespace

CodePage CodePage::shiftJis() {
  static const unsigned char kRanges[] = {0x81, 0x9F, 0xE0, 0xFC};
  return fromLeadRanges(kRanges, true);
}

CodePage CodePage::fromLeadRanges(const unsigned char* ranges, std::size_t count, bool isShiftJis) {
  CodePage cp;
  for (std::size_t i = 0; i + 1 < count && ranges[i] != 0; i += 2) {
    for (unsigned b = ranges[i]; b <= ranges[i + 1]; ++b) cp.lead_[b] = true;
  }
  cp.fullWidth_ = isShiftJis;
  return cp;
}

std::size_t nextChar(const CodePage& cp, std::string_view text, std::size_t pos) {
  return (cp.isLead(at(text, pos)) && at(text, pos + 1) != 0) ? pos + 2 : pos + 1;
}

std::size_t prevChar(const CodePage& cp, std::string_view text, std::size_t pos) {
  if (pos < 2) return 0;
  std::size_t run = 0;
  for (std::size_t i = pos - 1; i-- > 0 && cp.isLead(at(text, i));) ++run;
  return (run % 2 == 1) ? pos - 2 : pos - 1;
}

bool equalChars(const CodePage& cp, const unsigned char* a, const unsigned char* b, std::size_t count,
                bool ignoreCase) {
  std::size_t i = 0;
  while (i < count) {
    if (cp.isLead(b[i]) && i + 1 < count && b[i + 1] != 0) {
      if (a[i] != b[i]) return false;
      unsigned char ta = a[i + 1];
      unsigned char tb = b[i + 1];
      if (ignoreCase && cp.foldsFullWidth() && b[i] == kFullWidthLead) {
        ta = foldFullWidthTrail(ta);
        tb = foldFullWidthTrail(tb);
      }
      if (ta != tb) return false;
      i += 2;
    } else {
      if (ignoreCase ? foldAscii(a[i]) != foldAscii(b[i]) : a[i] != b[i]) return false;
      ++i;
    }
  }
  return true;
}

}  // namespace search
