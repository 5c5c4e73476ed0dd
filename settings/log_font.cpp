#include "settings/log_font.h"

#include <cstring>

namespace {

void putInt32(unsigned char* at, int32_t value) {
  uint32_t u = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(u >> (8 * i));
}

int32_t getInt32(const unsigned char* at) {
  return static_cast<int32_t>(uint32_t{at[0]} | uint32_t{at[1]} << 8 | uint32_t{at[2]} << 16 |
                              uint32_t{at[3]} << 24);
}

}  // namespace

LogFontA LogFontA::defaultFont(int32_t screenDpi) {
  LogFontA font;
  font.lfHeight = screenDpi > 0 ? (12 * screenDpi + 48) / 96 : 12;
  font.lfWeight = 400;   // FW_NORMAL
  font.lfCharSet = 128;  // SHIFTJIS_CHARSET
  std::memcpy(font.lfFaceName, "FixedSys", 8);
  return font;
}

void LogFontA::toBytes(unsigned char (&bytes)[kByteSize]) const {
  putInt32(bytes + 0, lfHeight);
  putInt32(bytes + 4, lfWidth);
  putInt32(bytes + 8, lfEscapement);
  putInt32(bytes + 12, lfOrientation);
  putInt32(bytes + 16, lfWeight);
  const uint8_t singles[8] = {lfItalic,       lfUnderline,     lfStrikeOut, lfCharSet,
                              lfOutPrecision, lfClipPrecision, lfQuality,   lfPitchAndFamily};
  std::memcpy(bytes + 20, singles, 8);
  std::memcpy(bytes + 28, lfFaceName, kFaceNameSize);
}

LogFontA LogFontA::fromBytes(const unsigned char (&bytes)[kByteSize]) {
  LogFontA font;
  font.lfHeight = getInt32(bytes + 0);
  font.lfWidth = getInt32(bytes + 4);
  font.lfEscapement = getInt32(bytes + 8);
  font.lfOrientation = getInt32(bytes + 12);
  font.lfWeight = getInt32(bytes + 16);
  font.lfItalic = bytes[20];
  font.lfUnderline = bytes[21];
  font.lfStrikeOut = bytes[22];
  font.lfCharSet = bytes[23];
  font.lfOutPrecision = bytes[24];
  font.lfClipPrecision = bytes[25];
  font.lfQuality = bytes[26];
  font.lfPitchAndFamily = bytes[27];
  std::memcpy(font.lfFaceName, bytes + 28, kFaceNameSize);
  return font;
}

bool operator==(const LogFontA& a, const LogFontA& b) {
  unsigned char left[LogFontA::kByteSize];
  unsigned char right[LogFontA::kByteSize];
  a.toBytes(left);
  b.toBytes(right);
  return std::memcmp(left, right, LogFontA::kByteSize) == 0;
}
