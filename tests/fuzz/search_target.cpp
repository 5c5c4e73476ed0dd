#include <optional>
#include <string>
#include <vector>

#include "editor/search/searcher.h"
#include "targets.h"
#include "tests/search/naive_search.h"

namespace fuzz {
namespace {

// Every character's first byte: where a selection may start or end.
std::vector<size_t> characterStarts(const std::string& t) {
  std::vector<size_t> starts;
  for (size_t p = 0; p < t.size(); p = naive::nextChar(t, p)) starts.push_back(p);
  return starts;
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
  check(got == naive::findNext(text, start, end, pattern, down, ignoreCase), "the engine and the reference agree");
}

}  // namespace fuzz
