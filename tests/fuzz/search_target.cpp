#include <optional>
#include <string>
#include <vector>

#include "editor/search/searcher.h"
#include "targets.h"

namespace fuzz {
namespace {

// The reference: the plainest reading of the search rules, position by
// position, sharing nothing with the engine.
bool isLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

std::vector<size_t> characterStarts(const std::string& t) {
  std::vector<size_t> starts;
  for (size_t p = 0; p < t.size(); p += isLead(static_cast<unsigned char>(t[p])) && p + 1 < t.size() ? 2 : 1)
    starts.push_back(p);
  return starts;
}

bool sameLetter(unsigned char a, unsigned char b) {
  auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
  return lower(a) == lower(b);
}

bool matchAt(const std::string& t, size_t p, const std::string& q, bool ignoreCase) {
  if (p + q.size() > t.size()) return false;
  size_t i = 0;
  while (i < q.size()) {
    const unsigned char a = static_cast<unsigned char>(t[p + i]), b = static_cast<unsigned char>(q[i]);
    if (isLead(a) && i + 1 < q.size()) {
      const unsigned char a2 = static_cast<unsigned char>(t[p + i + 1]), b2 = static_cast<unsigned char>(q[i + 1]);
      // Full-width Ａ-Ｚ (82 60-79) and ａ-ｚ (82 81-9A).
      auto fold = [](unsigned char c) { return c >= 0x81 && c <= 0x9A ? c - 0x21 : c; };
      const bool letters = a == 0x82 && b == 0x82 && fold(a2) >= 0x60 && fold(a2) <= 0x79;
      if (a != b || !(a2 == b2 || (ignoreCase && letters && fold(a2) == fold(b2)))) return false;
      i += 2;
    } else {
      if (!(a == b || (ignoreCase && sameLetter(a, b)))) return false;
      i += 1;
    }
  }
  return true;
}

std::optional<size_t> reference(const std::string& t, const std::string& q, bool ignoreCase, size_t start,
                                size_t end, bool down) {
  if (q.empty()) return std::nullopt;
  const std::vector<size_t> starts = characterStarts(t);
  std::optional<size_t> found;
  size_t from = start;
  if (down && end - start == q.size() && matchAt(t, start, q, ignoreCase))
    from = start + (isLead(static_cast<unsigned char>(t[start])) && start + 1 < t.size() ? 2 : 1);
  for (size_t p : starts) {
    if (!matchAt(t, p, q, ignoreCase)) continue;
    if (down && p >= from) return p;
    if (!down && p < start) found = p;
  }
  return down ? std::nullopt : found;
}

}  // namespace

void search(const uint8_t* data, size_t size) {
  if (size < 4) return;
  const bool ignoreCase = data[0] & 1, down = data[0] & 2, patternFromText = data[0] & 4;
  // A NUL ends the editor's text, so the text never holds one.
  std::string text;
  for (size_t i = 4; i < size; ++i) text += static_cast<char>(data[i] ? data[i] : 'a');
  const std::vector<size_t> starts = characterStarts(text);
  std::vector<size_t> edges = starts;
  edges.push_back(text.size());
  const size_t start = edges[data[1] % edges.size()];
  size_t end = edges[(data[1] % edges.size() + data[2] % 4) % edges.size()];
  if (end < start) end = start;
  std::string pattern;
  const size_t length = data[3] % 8 + 1;
  if (patternFromText && !starts.empty()) {
    const size_t at = starts[data[3] % starts.size()];
    pattern = text.substr(at, length);
    if (data[0] & 8)  // the same text in the other case
      for (char& c : pattern)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  } else {
    pattern = text.substr(text.size() - std::min(text.size(), length));
  }

  search::Searcher searcher(search::CodePage::shiftJis(), pattern, ignoreCase);
  const auto got = searcher.findNext(text, start, end, down);
  check(got == reference(text, pattern, ignoreCase, start, end, down), "the engine and the reference agree");
}

}  // namespace fuzz
