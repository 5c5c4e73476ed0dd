#include "editor/search/searcher.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace search {

namespace {

// Upward searches walk blocks of this many bytes.
constexpr std::size_t kUpwardBlock = 64 * 1024;

const unsigned char* bytesOf(std::string_view text) { return reinterpret_cast<const unsigned char*>(text.data()); }

// The bytes that may stand where `b` stands in the pattern and still compare
// equal: itself, its other case for an ASCII letter and, for code page 932,
// the trail byte of the other case of a full-width letter.  Taking every
// such byte keeps the shift table safe without knowing which bytes are trail
// bytes.
std::vector<unsigned char> partners(const CodePage& cp, unsigned char b, bool ignoreCase) {
  std::vector<unsigned char> out{b};
  if (!ignoreCase) return out;
  if (b >= 'A' && b <= 'Z') out.push_back(static_cast<unsigned char>(b + 0x20));
  if (b >= 'a' && b <= 'z') out.push_back(static_cast<unsigned char>(b - 0x20));
  if (cp.foldsFullWidth()) {
    if (b >= 0x60 && b <= 0x79) out.push_back(static_cast<unsigned char>(b + 0x21));
    if (b >= 0x81 && b <= 0x9A) out.push_back(static_cast<unsigned char>(b - 0x21));
  }
  return out;
}

}  // namespace

Searcher::Searcher(const CodePage& cp, std::string_view pattern, bool ignoreCase)
    : cp_(cp), pattern_(pattern), ignoreCase_(ignoreCase) {
  const std::size_t n = pattern_.size();
  if (n == 0) return;
  const auto* p = bytesOf(pattern_);
  for (unsigned char b : partners(cp_, p[0], ignoreCase_)) firstByte_[b] = true;
  if (n < 2) return;
  shift_.fill(static_cast<std::uint8_t>(std::min<std::size_t>(n - 1, 255)));
  for (std::size_t i = 1; i < n; ++i) {
    const auto s = static_cast<std::uint8_t>(std::min<std::size_t>(n - 1 - i, 255));
    for (unsigned char a : partners(cp_, p[i - 1], ignoreCase_)) {
      for (unsigned char b : partners(cp_, p[i], ignoreCase_)) {
        auto& slot = shift_[(a << 8) | b];
        slot = std::min(slot, s);
      }
    }
  }
}

bool Searcher::equalAt(const unsigned char* bytes) const {
  const auto* p = bytesOf(pattern_);
  if (!ignoreCase_) return std::memcmp(bytes, p, pattern_.size()) == 0;
  return equalChars(cp_, bytes, p, pattern_.size(), true);
}

bool Searcher::matchesAt(std::string_view text, std::size_t pos) const {
  const std::size_t n = pattern_.size();
  return pos <= text.size() && text.size() - pos >= n && equalAt(bytesOf(text) + pos);
}

bool Searcher::selectionMatches(std::string_view text, std::size_t start, std::size_t end) const {
  return end >= start && end - start == pattern_.size() && matchesAt(text, start);
}

bool Searcher::startsChar(const unsigned char* bytes, std::size_t known, std::size_t pos) const {
  // A NUL ends a lead byte's character early, so it always starts one.
  if (bytes[pos] == 0) return true;
  // After a byte that cannot lead, a character starts.  Inside a run of lead
  // values that began at a character start, characters are two bytes each.
  std::size_t i = pos;
  while (i > known && cp_.isLead(bytes[i - 1])) --i;
  return (pos - i) % 2 == 0;
}

std::optional<std::size_t> Searcher::findDownFrom(std::string_view text, std::size_t from) const {
  const std::size_t n = pattern_.size();
  const std::size_t size = text.size();
  if (n == 0 || from > size || size - from < n) return std::nullopt;
  const auto* t = bytesOf(text);
  const std::size_t last = size - n;  // last possible start
  std::size_t known = from;           // a character start at or before every candidate

  if (n == 1) {
    // No pair to skip by: look for the first byte, by memchr when only one
    // byte value can match.
    const bool oneValue = std::count(firstByte_.begin(), firstByte_.end(), true) == 1;
    for (std::size_t j = from; j <= last; ++j) {
      if (oneValue) {
        const void* hit = std::memchr(t + j, static_cast<unsigned char>(pattern_[0]), last + 1 - j);
        if (!hit) return std::nullopt;
        j = static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - t);
      } else if (!firstByte_[t[j]]) {
        continue;
      }
      if (equalAt(t + j)) {
        if (startsChar(t, known, j)) return j;
        known = j + 1;  // j is a trail byte, so its character ends after it
      }
    }
    return std::nullopt;
  }

  for (std::size_t j = from; j <= last;) {
    const std::uint8_t s = shift_[(t[j + n - 2] << 8) | t[j + n - 1]];
    if (s != 0) {
      j += s;
      continue;
    }
    if (equalAt(t + j)) {
      if (startsChar(t, known, j)) return j;
      known = j + 1;  // j is a trail byte, so its character ends after it
    }
    ++j;
  }
  return std::nullopt;
}

std::optional<std::size_t> Searcher::findUpBefore(std::string_view text, std::size_t before) const {
  const std::size_t n = pattern_.size();
  if (n == 0 || text.size() < n) return std::nullopt;
  const auto* t = bytesOf(text);
  // Candidates lie below `high`: before the selection start, and far enough
  // from the end for the whole pattern.
  std::size_t high = std::min(before, text.size() - n + 1);
  while (high > 0) {
    // Walk back from the block's low end to a byte that cannot lead: the
    // position after it starts a character, and stepping forward from there
    // visits every character start of the block.
    std::size_t begin = high > kUpwardBlock ? high - kUpwardBlock : 0;
    while (begin > 0 && cp_.isLead(t[begin - 1])) --begin;
    std::optional<std::size_t> lastMatch;
    for (std::size_t c = begin; c < high; c += cp_.isLead(t[c]) ? 2 : 1) {
      if (firstByte_[t[c]] && equalAt(t + c)) lastMatch = c;
    }
    if (lastMatch) return lastMatch;
    high = begin;
  }
  return std::nullopt;
}

std::optional<std::size_t> Searcher::findNext(std::string_view text, std::size_t start, std::size_t end,
                                              bool down) const {
  end = std::min(end, text.size());
  start = std::min(start, end);
  if (!down) return findUpBefore(text, start);
  std::size_t from = start;
  if (selectionMatches(text, start, end)) from = nextChar(cp_, text, start);
  return findDownFrom(text, from);
}

std::size_t Searcher::replaceAll(std::string_view text, std::string_view replacement, std::string& out) const {
  out.clear();
  std::size_t count = 0;
  std::size_t copied = 0;
  while (auto hit = findDownFrom(text, copied)) {
    if (count == 0) out.reserve(text.size());
    out.append(text.substr(copied, *hit - copied));
    out.append(replacement);
    copied = *hit + pattern_.size();
    ++count;
  }
  if (count != 0) out.append(text.substr(copied));
  return count;
}

std::size_t Searcher::countAll(std::string_view text) const {
  std::size_t count = 0;
  std::size_t from = 0;
  while (auto hit = findDownFrom(text, from)) {
    from = *hit + pattern_.size();
    ++count;
  }
  return count;
}

std::string initialSearchText(std::string_view selected) {
  const std::size_t first = selected.find_first_not_of("\r\n");
  if (first == std::string_view::npos) return {};
  selected.remove_prefix(first);
  return std::string(selected.substr(0, selected.find_first_of("\r\n")));
}

}  // namespace search
