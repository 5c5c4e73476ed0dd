// The search engine: the stepping and comparison rules on hand-picked Shift_JIS
// cases, then the engine against the plain reference on random texts.
#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "editor/search/searcher.h"
#include "search/naive_search.h"

namespace {

using search::CodePage;
using search::Searcher;

constexpr std::optional<std::size_t> kMiss = std::nullopt;

struct StepCase {
  const char* name;
  std::string text;
  std::size_t start, end;
  std::string pattern;
  bool down, ignoreCase;
  std::optional<std::size_t> hit;
};

const std::string kFullUpper = "\x82\x60\x82\x61\x82\x62";  // ＡＢＣ
const std::string kFullLower = "\x82\x81\x82\x82\x82\x83";  // ａｂｃ

const StepCase kStepCases[] = {
    {"SelectedHitSteppedOverByOneChar", "aaaa", 0, 2, "aa", true, false, 1},
    {"OverlappingHitsComeInTurn", "aaaa", 1, 3, "aa", true, false, 2},
    {"NoWrapAtTheEnd", "aaaa", 2, 4, "aa", true, false, kMiss},
    {"UpwardAtZeroFindsNothing", "aaaa", 0, 0, "a", false, false, kMiss},
    {"UpwardHitMayOverlapTheSelection", "aaaa", 2, 4, "aa", false, false, 1},
    {"UpwardNeverStartsAtTheSelection", "xaa", 1, 3, "aa", false, false, kMiss},
    {"SelectionThatIsNotTheTextIsSearched", "xabcab", 0, 6, "ab", true, false, 1},
    {"AsciiFoldsWithTheCaseRule", "xABC", 0, 0, "abc", true, true, 1},
    {"AsciiExactWithMatchCase", "xABC", 0, 0, "abc", true, false, kMiss},
    {"FullWidthFoldsWithTheCaseRule", "x" + kFullUpper, 0, 0, kFullLower, true, true, 1},
    {"FullWidthExactWithMatchCase", "x" + kFullUpper, 0, 0, kFullLower, true, false, kMiss},
    {"FullWidthFoldsUpward", kFullLower + "x", 7, 7, kFullUpper, false, true, 0},
    // 0x8260 'Ａ' after 0x81: the bytes 0x60 0x82 0x60 are no letter pair.
    {"FoldingKeepsCharacterBounds", "\x81\x60\x82\x81", 0, 0, "\x60\x82", true, true, kMiss},
    // 0x8881 0x8140: the bytes 0x81 0x81 sit across the two characters.
    {"LeadValuedTrailIsNoStart", "\x88\x81\x81\x40", 0, 0, "\x81\x81", true, false, kMiss},
    {"LeadValuedTrailIsNoStartUpward", "\x88\x81\x81\x40", 4, 4, "\x81\x81", false, false, kMiss},
};

class StepRules : public ::testing::TestWithParam<StepCase> {};

TEST_P(StepRules, FindsWhatTheRulesSay) {
  const StepCase& c = GetParam();
  Searcher s(CodePage::shiftJis(), c.pattern, c.ignoreCase);
  EXPECT_EQ(s.findNext(c.text, c.start, c.end, c.down), c.hit);
}

INSTANTIATE_TEST_SUITE_P(Search, StepRules, ::testing::ValuesIn(kStepCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Search, SingleByteNeverMatchesATrailByte) {
  for (int trail = 0x40; trail <= 0x7E; ++trail) {
    const std::string b(1, static_cast<char>(trail));
    const std::string text = "\x88" + b + "\x88" + b + b;  // two kanji, then the byte alone
    for (bool ignoreCase : {false, true}) {
      Searcher s(CodePage::shiftJis(), b, ignoreCase);
      EXPECT_EQ(s.findNext(text, 0, 0, true), 4u) << trail;
      EXPECT_EQ(s.findNext(text, 4, 4, false), kMiss) << trail;
      EXPECT_EQ(s.findNext(text.substr(0, 4), 0, 0, true), kMiss) << trail;
    }
  }
}

TEST(Search, ProposalIsTheFirstLineOfTheSelection) {
  EXPECT_EQ(search::initialSearchText("\r\nfoo\r\nbar"), "foo");
  EXPECT_EQ(search::initialSearchText("\r\n\r\n"), "");
  EXPECT_EQ(search::initialSearchText("foo"), "foo");
}

TEST(Search, ReplaceAllNeverSearchesInsertedText) {
  Searcher s(CodePage::shiftJis(), "a", false);
  std::string out;
  EXPECT_EQ(s.replaceAll("aXa", "aa", out), 2u);
  EXPECT_EQ(out, "aaXaa");
  EXPECT_EQ(s.replaceAll("XYZ", "aa", out), 0u);
  EXPECT_EQ(out, "");
}

// Random texts from pieces that make the hard cases common: letters of both
// widths and cases, lead-valued trail bytes, ASCII-valued trail bytes, line
// breaks, a NUL after a lead byte, a lead byte cut off at the end.
std::string randomText(std::mt19937& rng, std::size_t pieces) {
  static const std::vector<std::string> kPieces = {
      "a",        "A",        "b",        "\r\n",     "\x82\x60", "\x82\x81", "\x82\x61", "\x82\x82",
      "\x81\x81", "\x81\x41", "\x88\x61", "\xE0\x40", "\x81\x9F", "\x9F\xFC", "\x83\x82", "\x81\x00",
  };
  std::string s;
  for (std::size_t i = 0; i < pieces; ++i) s += kPieces[rng() % kPieces.size()];
  if (rng() % 4 == 0) s += '\x82';
  return s;
}

TEST(Search, AgreesWithThePlainReference) {
  std::mt19937 rng(20261208);
  const CodePage cp = CodePage::shiftJis();
  for (int round = 0; round < 4000; ++round) {
    const std::string text = randomText(rng, 1 + rng() % 40);
    std::string pattern;
    if (rng() % 2) {
      const std::size_t at = rng() % text.size();
      pattern = text.substr(at, 1 + rng() % 4);
    } else {
      pattern = randomText(rng, 1 + rng() % 2);
    }
    const bool ignoreCase = rng() % 2;
    const Searcher s(cp, pattern, ignoreCase);
    for (int sel = 0; sel < 8; ++sel) {
      std::size_t a = rng() % (text.size() + 1);
      std::size_t b = rng() % 3 ? a : rng() % (text.size() + 1);
      if (b < a) std::swap(a, b);
      if (sel == 0 && text.size() >= pattern.size()) b = a + pattern.size() <= text.size() ? a + pattern.size() : b;
      for (bool down : {true, false}) {
        ASSERT_EQ(s.findNext(text, a, b, down), naive::findNext(text, a, b, pattern, down, ignoreCase))
            << "round " << round << " sel " << a << "-" << b << " down " << down;
      }
      if (a > 0) {
        ASSERT_EQ(search::prevChar(cp, text, a), naive::prevChar(text, a));
      }
      ASSERT_EQ(search::nextChar(cp, text, a), naive::nextChar(text, a));
    }
    std::string out;
    const std::size_t count = s.replaceAll(text, "a\x82", out);
    const std::string expected = naive::replaceAll(text, pattern, "a\x82", ignoreCase);
    ASSERT_EQ(count == 0 ? text : out, expected) << "round " << round;
  }
}

// Long texts take the upward search through several blocks and the
// downward one through long skips; long patterns cap the skip table.
TEST(Search, AgreesWithThePlainReferenceOnLongTexts) {
  std::mt19937 rng(7);
  const CodePage cp = CodePage::shiftJis();
  // Characters start at odd positions all the way: a block that began on
  // the wrong byte would find 0x81 0x81 across two characters.
  std::string leads = "a";
  for (int i = 0; i < 100000; ++i) leads += "\x81\x81";
  EXPECT_EQ(Searcher(cp, "\x81\x81", false).findNext(leads, leads.size(), leads.size(), false), leads.size() - 2);
  for (int round = 0; round < 6; ++round) {
    const std::string text = randomText(rng, 150000);
    const std::size_t length = round % 2 ? 300 : 3 + round;
    const std::string pattern = text.substr(rng() % (text.size() - length), length);
    for (bool ignoreCase : {false, true}) {
      const Searcher s(cp, pattern, ignoreCase);
      const std::size_t at = rng() % text.size();
      for (bool down : {true, false}) {
        ASSERT_EQ(s.findNext(text, at, at, down), naive::findNext(text, at, at, pattern, down, ignoreCase))
            << "round " << round << " at " << at;
      }
    }
  }
}

}  // namespace
