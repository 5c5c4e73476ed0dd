#include "editor/editing/text_mirror.h"

#include <windows.h>

#include <algorithm>
#include <iterator>

#include "orka/text/wide.h"

namespace {

// Units per block: a lookup measures at most two blocks' worth, an edit
// rewrites one or two.  A block grows to twice this before it is cut.
constexpr int kBlockUnits = 4096;

bool isHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Blocks are a few thousand units, so their byte counts fit an int.
int ansiLength(const wchar_t* text, size_t count) {
  return static_cast<int>(orka::ansiByteCount(std::wstring_view(text, count)));
}

}  // namespace

TextMirror::TextMirror() : blocks_(1), starts_{{0, 0}, {0, 0}} {}

void TextMirror::assign(std::wstring_view text) {
  blocks_.assign(1, Block());
  starts_.assign(2, Start{0, 0});
  rewrite(0, 1, text);
}

void TextMirror::wipe() {
  for (Block& block : blocks_) SecureZeroMemory(block.text.data(), block.text.capacity() * sizeof(wchar_t));
  assign(std::wstring_view());
}

void TextMirror::replace(int from, int count, std::wstring_view text) {
  const int total = wideLength();
  from = std::clamp(from, 0, total);
  count = std::clamp(count, 0, total - from);
  const size_t first = blockAt(from);
  const size_t last = blockAt(from + count);
  const std::wstring& head = blocks_[first].text;
  const std::wstring& tail = blocks_[last].text;
  const size_t headUnits = static_cast<size_t>(from - starts_[first].wide);
  const size_t tailFrom = static_cast<size_t>(from + count - starts_[last].wide);
  std::wstring joined;
  joined.reserve(headUnits + text.size() + (tail.size() - tailFrom));
  joined.append(head, 0, headUnits);
  joined.append(text);
  joined.append(tail, tailFrom, std::wstring::npos);
  rewrite(first, last + 1, joined);
}

size_t TextMirror::blockAt(int pos) const {
  auto it = std::lower_bound(starts_.begin(), starts_.end(), pos,
                             [](const Start& s, int p) { return s.wide < p; });
  size_t k = static_cast<size_t>(it - starts_.begin());
  return std::min(k == 0 ? 0 : k - 1, blocks_.size() - 1);
}

void TextMirror::rewrite(size_t first, size_t last, std::wstring_view text) {
  std::vector<Block> fresh;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t units = text.size() - pos <= 2 * kBlockUnits ? text.size() - pos : kBlockUnits;
    if (pos + units < text.size() && isHighSurrogate(text[pos + units - 1])) --units;
    Block block;
    block.text.assign(text.substr(pos, units));
    block.bytes = ansiLength(block.text.data(), units);
    fresh.push_back(std::move(block));
    pos += units;
  }
  const size_t added = fresh.size();
  if (added == last - first) {
    // A typed key: same number of blocks, nothing after them moves.
    std::move(fresh.begin(), fresh.end(), blocks_.begin() + static_cast<std::ptrdiff_t>(first));
  } else {
    blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(first),
                  blocks_.begin() + static_cast<std::ptrdiff_t>(last));
    blocks_.insert(blocks_.begin() + static_cast<std::ptrdiff_t>(first), std::make_move_iterator(fresh.begin()),
                   std::make_move_iterator(fresh.end()));
  }
  if (blocks_.empty()) blocks_.emplace_back();
  // The edges of the new text may have met a surrogate half next door.
  if (first + added < blocks_.size() && first + added > 0) joinPairAt(first + added - 1);
  if (first > 0) joinPairAt(first - 1);
  restartFrom(first > 0 ? first - 1 : 0);
}

bool TextMirror::joinPairAt(size_t i) {
  if (i + 1 >= blocks_.size()) return false;
  Block& left = blocks_[i];
  Block& right = blocks_[i + 1];
  if (left.text.empty() || right.text.empty() || !isHighSurrogate(left.text.back()) ||
      !isLowSurrogate(right.text.front()))
    return false;
  left.text += right.text.front();
  right.text.erase(0, 1);
  left.bytes = ansiLength(left.text.data(), left.text.size());
  right.bytes = ansiLength(right.text.data(), right.text.size());
  if (right.text.empty()) blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(i + 1));
  return true;
}

void TextMirror::restartFrom(size_t first) {
  starts_.resize(blocks_.size() + 1);
  for (size_t i = first; i < blocks_.size(); ++i) {
    starts_[i + 1] = {starts_[i].wide + static_cast<int>(blocks_[i].text.size()),
                      starts_[i].bytes + blocks_[i].bytes};
  }
}

int TextMirror::byteFromWide(int widePos) const {
  widePos = std::clamp(widePos, 0, wideLength());
  const size_t b = blockAt(widePos);
  return starts_[b].bytes + ansiLength(blocks_[b].text.data(), static_cast<size_t>(widePos - starts_[b].wide));
}

int TextMirror::wideFromByte(int byteOffset) const {
  byteOffset = std::clamp(byteOffset, 0, byteLength());
  auto it = std::upper_bound(starts_.begin(), starts_.end(), byteOffset,
                             [](int offset, const Start& s) { return offset < s.bytes; });
  const size_t b = std::min(static_cast<size_t>(it - starts_.begin()) - 1, blocks_.size() - 1);
  const std::wstring& text = blocks_[b].text;
  size_t pos = 0;
  int bytes = starts_[b].bytes;
  while (pos < text.size()) {
    size_t units = isHighSurrogate(text[pos]) && pos + 1 < text.size() && isLowSurrogate(text[pos + 1]) ? 2 : 1;
    int length = ansiLength(text.data() + pos, units);
    if (bytes + length > byteOffset) break;
    bytes += length;
    pos += units;
  }
  return starts_[b].wide + static_cast<int>(pos);
}

std::string TextMirror::ansi() const {
  std::string out(static_cast<size_t>(byteLength()), '\0');
  for (size_t i = 0; i < blocks_.size(); ++i) {
    const Block& block = blocks_[i];
    if (block.text.empty()) continue;
    WideCharToMultiByte(CP_ACP, 0, block.text.data(), static_cast<int>(block.text.size()),
                        out.data() + starts_[i].bytes, block.bytes, nullptr, nullptr);
  }
  return out;
}

bool TextMirror::holds(std::wstring_view text) const {
  if (text.size() != static_cast<size_t>(wideLength())) return false;
  for (size_t i = 0; i < blocks_.size(); ++i) {
    if (text.substr(static_cast<size_t>(starts_[i].wide), blocks_[i].text.size()) != blocks_[i].text) return false;
  }
  return true;
}
