// Searcher: finds one search text in a document text, a character at a time.
//
// The text is a byte string in the ANSI code page and positions are byte
// offsets (see char_steps.h).  A match always starts at a character start,
// never on a trail byte, even where the trail byte has the same value as the
// search text's first byte.  Searching starts from the selection:
//
//   downward  from the selection start; when the selection is itself a match
//             it is stepped over by one character, so overlapping matches
//             come one after another.
//   upward    from the character before the selection start towards 0; a
//             match may overlap the selection but never starts at or after
//             its start.
//
// Neither direction wraps around.  An empty search text finds nothing.
//
// Speed: a downward search skips through the bytes by the last two bytes of
// each window (a shift table built once per searcher) and checks whether a
// byte match starts a character only when one is found, by looking back at
// most to the last position known to start one.  So its cost stays linear
// and close to that of a plain byte search.  An upward search walks the
// characters of the text backwards in blocks, each block from a position
// known to start a character.
//
// A searcher owns copies of what it was built from; it does not keep the
// text.  Any thread, no shared state.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "editor/search/char_steps.h"

namespace search {

class Searcher {
 public:
  Searcher(const CodePage& cp, std::string_view pattern, bool ignoreCase);

  const std::string& pattern() const { return pattern_; }
  bool ignoreCase() const { return ignoreCase_; }

  // Whether the pattern's bytes lie in `text` at `pos` and equal the pattern
  // under the case rule.
  bool matchesAt(std::string_view text, std::size_t pos) const;
  // Whether the selection [start, end) is exactly a match.
  bool selectionMatches(std::string_view text, std::size_t start, std::size_t end) const;

  // One search step from the selection [start, end) in the given direction:
  // the start of the match found, nothing on a miss.
  std::optional<std::size_t> findNext(std::string_view text, std::size_t start, std::size_t end,
                                      bool down) const;

  // Replaces every match found downward from position 0, each search going
  // on after the previous match, so that nothing is searched twice.  Writes
  // the new text to `out` and answers the number of matches; 0 leaves `out`
  // empty.
  std::size_t replaceAll(std::string_view text, std::string_view replacement, std::string& out) const;
  // The number of matches replaceAll would replace, without building anything.
  std::size_t countAll(std::string_view text) const;

 private:
  // The first match at or after `from`, taking `from` as a character start.
  std::optional<std::size_t> findDownFrom(std::string_view text, std::size_t from) const;
  // The last match starting before `before`.
  std::optional<std::size_t> findUpBefore(std::string_view text, std::size_t before) const;
  bool equalAt(const unsigned char* bytes) const;
  // Whether `pos` starts a character, `known` being a character start at or
  // before it.
  bool startsChar(const unsigned char* bytes, std::size_t known, std::size_t pos) const;

  CodePage cp_;
  std::string pattern_;
  bool ignoreCase_;
  // Bytes that may equal the pattern's first byte under the case rule.
  std::array<bool, 256> firstByte_{};
  // For windows of pattern length: how far the window may move on, given its
  // last two bytes; 0 where they may be the pattern's own last two.
  std::array<std::uint8_t, 65536> shift_{};
};

// The text proposed to a new search dialog from the selected bytes: leading
// CR and LF removed, then cut before the next CR or LF.
std::string initialSearchText(std::string_view selected);

}  // namespace search
