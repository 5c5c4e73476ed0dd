// The settings' font block against the system's LOGFONT structures.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "settings/log_font_win32.h"

namespace {

const char kGothicAnsi[] = "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e";  // ＭＳ ゴシック

LogFontA gothic() {
  LogFontA font = LogFontA::defaultFont();
  font.lfHeight = -16;
  font.lfWeight = 700;
  font.lfItalic = 1;
  std::memset(font.lfFaceName, 0, sizeof font.lfFaceName);
  std::memcpy(font.lfFaceName, kGothicAnsi, sizeof kGothicAnsi - 1);
  return font;
}

TEST(LogFontWin32, TheBlockIsTheSystemLogFontA) {
  LogFontA font = gothic();
  LOGFONTA system = toSystemLogFontA(font);
  EXPECT_EQ(std::memcmp(&system, &font, sizeof system), 0);
  EXPECT_TRUE(fromSystemLogFontA(system) == font);
}

TEST(LogFontWin32, AFaceNameFillingTheBlockIsTerminatedForTheSystem) {
  LogFontA font = gothic();
  std::memset(font.lfFaceName, 'A', sizeof font.lfFaceName);
  LOGFONTA system = toSystemLogFontA(font);
  EXPECT_EQ(strnlen(system.lfFaceName, LF_FACESIZE), LF_FACESIZE - 1u);
  EXPECT_EQ(system.lfHeight, -16);
}

TEST(LogFontWin32, FaceNameCrossesToUtf16AndBack) {
  LOGFONTW wide = toSystemLogFontW(gothic());
  EXPECT_STREQ(wide.lfFaceName, L"\xFF2D\xFF33 \x30B4\x30B7\x30C3\x30AF");
  EXPECT_EQ(wide.lfHeight, -16);
  EXPECT_EQ(wide.lfItalic, 1);
  EXPECT_EQ(wide.lfCharSet, 128);

  LogFontA back;
  ASSERT_TRUE(fromSystemLogFontW(wide, &back));
  EXPECT_TRUE(back == gothic());
}

TEST(LogFontWin32, FaceNamesTheBlockCannotHoldAreRefused) {
  LOGFONTW hangul = toSystemLogFontW(gothic());
  wcscpy(hangul.lfFaceName, L"\xD55C\xAE00");  // no Shift_JIS form
  LOGFONTW tooLong = hangul;
  wcscpy(
      tooLong.lfFaceName,
      L"\x3042\x3042\x3042\x3042\x3042\x3042\x3042\x3042\x3042\x3042\x3042\x3042\x3042\x3042\x3042\x3042");  // 32 bytes
  LogFontA out = LogFontA::defaultFont();
  EXPECT_FALSE(fromSystemLogFontW(hangul, &out));
  EXPECT_FALSE(fromSystemLogFontW(tooLong, &out));
  EXPECT_TRUE(out == LogFontA::defaultFont());
}

TEST(LogFontWin32, UndecodableFaceNameBecomesEmpty) {
  LogFontA font = gothic();
  std::memset(font.lfFaceName, 0, sizeof font.lfFaceName);
  font.lfFaceName[0] = '\x82';  // a lead byte alone
  EXPECT_EQ(toSystemLogFontW(font).lfFaceName[0], L'\0');
}

}  // namespace
