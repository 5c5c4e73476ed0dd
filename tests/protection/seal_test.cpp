// The sealed state of a locked document: it comes back whole under the
// right key only, and a changed or cut record is refused, not misread.
#include "editor/protection/seal.h"

#include <gtest/gtest.h>

#include <string>

namespace {

tolvane::DocumentKey keyOf(unsigned char seed) {
  tolvane::DocumentKey key{};
  for (size_t i = 0; i < key.size(); ++i) key[i] = static_cast<unsigned char>(seed + i);
  return key;
}

void fill(DocumentState& state, const std::string& text, const std::string& undo, bool hasUndo) {
  state.selectionStart = 3;
  state.selectionEnd = 0x01020304;
  state.modified = true;
  state.readOnly = hasUndo;
  state.hasUndo = hasUndo;
  state.text = text;
  state.undo = undo;
}

struct Case {
  const char* name;
  std::string text;
  std::string undo;
  bool hasUndo;
};

class SealRoundTrip : public ::testing::TestWithParam<Case> {};

TEST_P(SealRoundTrip, TheRightKeyBringsBackEveryPartAndAWrongOneNothing) {
  const Case& c = GetParam();
  DocumentState state;
  fill(state, c.text, c.undo, c.hasUndo);
  const SealedState sealed = SealedState::seal(state, keyOf(1));
  EXPECT_TRUE(sealed.modified());

  DocumentState wrong;
  wrong.text = "kept";
  EXPECT_FALSE(sealed.open(keyOf(2), wrong));
  EXPECT_EQ(wrong.text, "kept");

  DocumentState back;
  ASSERT_TRUE(sealed.open(keyOf(1), back));
  EXPECT_EQ(back.selectionStart, state.selectionStart);
  EXPECT_EQ(back.selectionEnd, state.selectionEnd);
  EXPECT_EQ(back.modified, state.modified);
  EXPECT_EQ(back.readOnly, state.readOnly);
  EXPECT_EQ(back.hasUndo, state.hasUndo);
  EXPECT_EQ(back.text, state.text);
  EXPECT_EQ(back.undo, state.undo);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SealRoundTrip,
    ::testing::Values(Case{"Empty", "", "", false},
                      Case{"ShiftJisWithUndo", "\x8c\xb3\x82\xcc\x95\xb6\r\nabc", "\x8c\xb3", true},
                      Case{"ZeroBytesInside", std::string("a\0b", 3), std::string("\0", 1), true},
                      Case{"Long", std::string(70000, 'x'), std::string(17, 'y'), true}),
    [](const ::testing::TestParamInfo<Case>& info) { return info.param.name; });

TEST(Seal, EachSealIsFreshAndAnyChangedOrCutRecordIsRefused) {
  DocumentState state;
  fill(state, "秘密の文", "秘密", true);
  SealedState a = SealedState::seal(state, keyOf(7));
  SealedState b = SealedState::seal(state, keyOf(7));
  EXPECT_NE(a.record(), b.record());

  const std::vector<unsigned char> whole = a.record();
  for (size_t at : {size_t{0}, size_t{20}, whole.size() / 2, whole.size() - 1}) {
    a.record() = whole;
    a.record()[at] ^= 0x01;
    DocumentState out;
    EXPECT_FALSE(a.open(keyOf(7), out)) << "byte " << at;
  }
  for (size_t length : {size_t{0}, size_t{39}, size_t{56}, whole.size() - 1}) {
    a.record().assign(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
    DocumentState out;
    EXPECT_FALSE(a.open(keyOf(7), out)) << "length " << length;
  }
}

}  // namespace
