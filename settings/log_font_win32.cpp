#include "settings/log_font_win32.h"

#include <cstring>
#include <string>

#include "orka/text/codepage.h"
#include "orka/text/wide.h"

namespace {

// The numeric fields are the same in all three structures.
template <typename From, typename To>
void copyMetrics(const From& from, To* to) {
  to->lfHeight = from.lfHeight;
  to->lfWidth = from.lfWidth;
  to->lfEscapement = from.lfEscapement;
  to->lfOrientation = from.lfOrientation;
  to->lfWeight = from.lfWeight;
  to->lfItalic = from.lfItalic;
  to->lfUnderline = from.lfUnderline;
  to->lfStrikeOut = from.lfStrikeOut;
  to->lfCharSet = from.lfCharSet;
  to->lfOutPrecision = from.lfOutPrecision;
  to->lfClipPrecision = from.lfClipPrecision;
  to->lfQuality = from.lfQuality;
  to->lfPitchAndFamily = from.lfPitchAndFamily;
}

static_assert(sizeof(LOGFONTA) == sizeof(LogFontA), "LOGFONTA changed size");

}  // namespace

LOGFONTA toSystemLogFontA(const LogFontA& font) {
  LOGFONTA out{};
  copyMetrics(font, &out);
  // A damaged settings file may fill all 32 bytes; the system reads the name
  // up to its terminator, so the last byte must be one.
  std::memcpy(out.lfFaceName, font.lfFaceName, LogFontA::kFaceNameSize - 1);
  return out;
}

LogFontA fromSystemLogFontA(const LOGFONTA& font) {
  LogFontA out;
  copyMetrics(font, &out);
  std::memcpy(out.lfFaceName, font.lfFaceName, LogFontA::kFaceNameSize);
  return out;
}

LOGFONTW toSystemLogFontW(const LogFontA& font) {
  LOGFONTW out{};
  copyMetrics(font, &out);
  // The block's name may fill all 32 bytes without a terminator.
  size_t length = strnlen(font.lfFaceName, LogFontA::kFaceNameSize);
  auto utf8 = orka::codePageToUtf8(std::string(font.lfFaceName, length), orka::ansiCodePage());
  if (utf8) {
    std::wstring wide = orka::widen(*utf8);
    if (wide.size() < LF_FACESIZE)
      std::memcpy(out.lfFaceName, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
  }
  return out;
}

bool fromSystemLogFontW(const LOGFONTW& font, LogFontA* out) {
  size_t length = wcsnlen(font.lfFaceName, LF_FACESIZE);
  auto bytes =
      orka::utf8ToCodePage(orka::narrow(std::wstring_view(font.lfFaceName, length)), orka::ansiCodePage());
  // Room must stay for the terminator that every reader of the block expects.
  if (!bytes || bytes->size() >= LogFontA::kFaceNameSize) return false;
  LogFontA result;
  copyMetrics(font, &result);
  std::memcpy(result.lfFaceName, bytes->data(), bytes->size());
  *out = result;
  return true;
}
