// The font description kept in the settings: the 60-byte LOGFONTA block.
//
// The settings file stores the block exactly as a Japanese Windows system
// lays out LOGFONTA, so the struct has that layout on every platform (no
// system headers needed).  The face name holds bytes in the ANSI code page,
// zero-padded; it is never converted to UTF-8 inside the record, so a block
// read from the file goes back out byte for byte.
//
//   offset  0  lfHeight        int32     offset 20  lfItalic          byte
//           4  lfWidth         int32            21  lfUnderline       byte
//           8  lfEscapement    int32            22  lfStrikeOut       byte
//          12  lfOrientation   int32            23  lfCharSet         byte
//          16  lfWeight        int32            24  lfOutPrecision    byte
//                                               25  lfClipPrecision   byte
//                                               26  lfQuality         byte
//                                               27  lfPitchAndFamily  byte
//                                               28  lfFaceName[32]    bytes
#pragma once

#include <cstddef>
#include <cstdint>

struct LogFontA {
  static constexpr size_t kFaceNameSize = 32;
  static constexpr size_t kByteSize = 60;

  int32_t lfHeight = 0;
  int32_t lfWidth = 0;
  int32_t lfEscapement = 0;
  int32_t lfOrientation = 0;
  int32_t lfWeight = 0;
  uint8_t lfItalic = 0;
  uint8_t lfUnderline = 0;
  uint8_t lfStrikeOut = 0;
  uint8_t lfCharSet = 0;
  uint8_t lfOutPrecision = 0;
  uint8_t lfClipPrecision = 0;
  uint8_t lfQuality = 0;
  uint8_t lfPitchAndFamily = 0;
  char lfFaceName[kFaceNameSize] = {};

  // The editor's default: "FixedSys", weight 400, Shift_JIS, 12 pixels high
  // on a 96-dpi screen.  Heights count pixels of the screen the settings
  // were made on, so on a denser one the default grows with it (18 at 144
  // dpi, 24 at 192) and keeps its size to the eye.
  static LogFontA defaultFont(int32_t screenDpi = 96);

  // The block in file order, integers little-endian whatever the host.
  void toBytes(unsigned char (&bytes)[kByteSize]) const;
  static LogFontA fromBytes(const unsigned char (&bytes)[kByteSize]);

  // Every field and all 32 face-name bytes, padding included.
  friend bool operator==(const LogFontA& a, const LogFontA& b);
  friend bool operator!=(const LogFontA& a, const LogFontA& b) { return !(a == b); }
};

static_assert(sizeof(LogFontA) == LogFontA::kByteSize, "LogFontA must match LOGFONTA");
static_assert(offsetof(LogFontA, lfItalic) == 20, "LogFontA must match LOGFONTA");
static_assert(offsetof(LogFontA, lfFaceName) == 28, "LogFontA must match LOGFONTA");
