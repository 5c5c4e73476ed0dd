// TextMirror: a copy of the edit control's UTF-16 text that knows, for every
// position, how many bytes of the ANSI code page lie before it.
//
// The text is kept in blocks of a few thousand units, each with its own byte
// length, and a table of where every block starts (units and bytes):
//
//   blocks  | あいう…(4096) | ｱ日本…(4096) | …      |
//   starts  | 0 / 0         | 4096 / 8190  | …      | total
//
// A position converts by finding its block in the table and measuring the
// few units before it in that block.  An edit rewrites only the blocks it
// touches and shifts the starts after them, so its cost does not grow with
// the document (beyond adding to the table's integers).  A surrogate pair
// never straddles two blocks: it converts as one character, its halves alone
// as two.
//
// Plain data, no window; user-interface thread like its owner.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class TextMirror {
 public:
  TextMirror();

  // Replaces everything.
  void assign(std::wstring_view text);
  // Overwrites every block's memory, then empties the mirror.
  void wipe();
  // Replaces `count` units from `from` by `text`; both are clamped to the text.
  void replace(int from, int count, std::wstring_view text);

  int wideLength() const { return starts_.back().wide; }
  int byteLength() const { return starts_.back().bytes; }

  // ANSI bytes before unit `widePos` (clamped to the text).
  int byteFromWide(int widePos) const;
  // The unit where the character holding byte `byteOffset` starts (clamped).
  int wideFromByte(int byteOffset) const;

  // The whole text in the ANSI code page.
  std::string ansi() const;
  // Whether the mirror holds exactly `text`.
  bool holds(std::wstring_view text) const;

 private:
  struct Block {
    std::wstring text;
    int bytes = 0;
  };
  struct Start {
    int wide;
    int bytes;
  };

  // The block holding unit `pos`; at a boundary the one that ends there, so
  // that typing at the end of a block extends it.
  size_t blockAt(int pos) const;
  // Rewrites blocks [first, last) as `text`, cut into blocks of about
  // kBlockUnits, and shifts the starts after them.
  void rewrite(size_t first, size_t last, std::wstring_view text);
  // Moves a low surrogate that opens block `i + 1` to the end of block `i`
  // when block `i` ends with a high one; returns whether it did.
  bool joinPairAt(size_t i);
  void restartFrom(size_t first);

  std::vector<Block> blocks_;  // never empty; only a lone block may be empty
  std::vector<Start> starts_;  // one per block, then the totals
};
