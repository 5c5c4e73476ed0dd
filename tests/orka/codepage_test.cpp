#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>

#include "orka/crypto/sha256.h"
#include "orka/text/codepage.h"

namespace orka {
namespace {

constexpr int kConvertedCodePoints = 9406;
constexpr const char* kEncodeDigest = "1de20faedc1c1ed7bb3ccd4db5203d8bb91424f48a0785e51c38e4e864180c46";
constexpr const char* kDecodeDigest = "4da42cdb96fd01019eed44911fcb1c5b104889a7366ca8b82aa2a732d0e2204b";

TEST(CodePage, JapaneseRoundTripsThroughShiftJis) {
  const std::string sjis("\x93\xfa\x96\x7b\x8c\xea\x0d\x0a\xb1", 9);  // 日本語, CR LF, half-width ｱ
  auto bytes = utf8ToCodePage("日本語\r\nｱ", 932);
  ASSERT_TRUE(bytes);
  EXPECT_EQ(*bytes, sjis);
  auto back = codePageToUtf8(sjis, 932);
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, "日本語\r\nｱ");
  EXPECT_EQ(utf8ToCodePage("", 932), std::string());
}

TEST(CodePage, WhatCannotBeRepresentedIsRefusedNotReplaced) {
  EXPECT_FALSE(utf8ToCodePage("mail \xF0\x9F\x98\x80", 932));  // an emoji has no Shift_JIS form
  EXPECT_FALSE(utf8ToCodePage("日本", 1252));
  EXPECT_FALSE(codePageToUtf8(std::string("\x81", 1), 932));  // a lead byte without its trail
  EXPECT_FALSE(utf8ToCodePage("\xff\xfe", 932));              // not UTF-8 at all
}

std::string utf8Of(uint32_t cp) {
  std::string s;
  if (cp < 0x80) {
    s += static_cast<char>(cp);
  } else if (cp < 0x800) {
    s += static_cast<char>(0xC0 | cp >> 6);
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    s += static_cast<char>(0xE0 | cp >> 12);
    s += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | cp >> 18);
    s += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
    s += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return s;
}

// A digest of every conversion result, so that the two platforms can be seen
// to agree: both must arrive at the same figure below.
class ResultDigest {
 public:
  ResultDigest() { sha_.init(); }
  void add(const std::string& input, const std::optional<std::string>& result) {
    sha_.update(input.data(), static_cast<uint32_t>(input.size()));
    const char refused = '!';
    if (result) {
      sha_.update(result->data(), static_cast<uint32_t>(result->size()));
      sha_.update("|", 1);
    } else {
      sha_.update(&refused, 1);
    }
  }
  std::string hex() {
    const unsigned char* d = sha_.final();
    std::string out;
    char two[3];
    for (int i = 0; i < 32; ++i) {
      std::snprintf(two, sizeof two, "%02x", d[i]);
      out += two;
    }
    return out;
  }

 private:
  SHA256 sha_;
};

TEST(CodePage, EveryCodePointConvertsBackOrIsRefused) {
  const std::pair<uint32_t, uint32_t> lookAlikes[] = {{0xA5, 0x5C},     {0x203E, 0x7E},   {0xA2, 0xFFE0},
                                                      {0xA3, 0xFFE1},   {0xAC, 0xFFE2},   {0x301C, 0xFF5E},
                                                      {0x2212, 0xFF0D}, {0x2014, 0x2015}, {0x2016, 0x2225}};
  ResultDigest digest;
  int converted = 0;
  for (uint32_t cp = 0; cp <= 0x10FFFF; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    const std::string text = utf8Of(cp);
    auto bytes = utf8ToCodePage(text, 932);
    digest.add(text, bytes);
    if (!bytes) continue;
    ++converted;
    ASSERT_FALSE(bytes->empty()) << std::hex << cp;
    uint32_t expected = cp;
    for (const auto& l : lookAlikes)
      if (l.first == cp) expected = l.second;
    ASSERT_EQ(codePageToUtf8(*bytes, 932), utf8Of(expected)) << std::hex << cp;
  }
  // The tag characters used to vanish, turning a password made of them into
  // the empty one, the machine's key.
  EXPECT_FALSE(utf8ToCodePage("\U000E0041\U000E0042", 932));
  EXPECT_EQ(converted, kConvertedCodePoints);
  EXPECT_EQ(digest.hex(), kEncodeDigest);
}

TEST(CodePage, EveryShiftJisSequenceDecodesAlikeOnBothPlatforms) {
  ResultDigest digest;
  for (int lead = 0; lead < 256; ++lead) {
    const std::string one(1, static_cast<char>(lead));
    digest.add(one, codePageToUtf8(one, 932));
    if (!((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC))) continue;
    for (int trail = 0; trail < 256; ++trail) {
      const std::string two = one + static_cast<char>(trail);
      digest.add(two, codePageToUtf8(two, 932));
    }
  }
  EXPECT_EQ(digest.hex(), kDecodeDigest);
}

TEST(CodePage, NamesOfCodePages) {
  struct Case {
    const char* name;
    unsigned expected;
  } known[] = {{"932", 932},           {"cp932", 932},   {"CP932", 932}, {"Shift_JIS", 932},
               {"windows-1252", 1252}, {"utf-8", 65001}, {"UTF8", 65001}};
  for (const Case& c : known) EXPECT_EQ(codePageFromName(c.name), c.expected) << c.name;
  for (const char* bad : {"", "cp", "klingon", "123456", "0"}) EXPECT_FALSE(codePageFromName(bad)) << bad;
}

}  // namespace
}  // namespace orka
