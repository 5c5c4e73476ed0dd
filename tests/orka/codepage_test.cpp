#include <gtest/gtest.h>

#include "orka/text/codepage.h"

namespace orka {
namespace {

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
