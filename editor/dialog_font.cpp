#include "editor/dialog_font.h"

#include <cwchar>
#include <map>

namespace {

// The face the dialog asked for against the one the system really uses.
bool faceIsMissing(HFONT font) {
  LOGFONTW asked{};
  if (!font || !GetObjectW(font, sizeof asked, &asked)) return false;
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  wchar_t used[LF_FACESIZE] = {};
  GetTextFaceW(dc, LF_FACESIZE, used);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return std::wcscmp(asked.lfFaceName, used) != 0;
}

// The message font of the system at the height of `like`.  One per height:
// dialogs on monitors of different DPI ask for different heights.
HFONT uiFont(HFONT like) {
  static std::map<LONG, HFONT> fonts;
  LOGFONTW size{};
  if (!GetObjectW(like, sizeof size, &size)) return nullptr;
  HFONT& font = fonts[size.lfHeight];
  if (!font) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    LOGFONTW wanted{};
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) wanted = metrics.lfMessageFont;
    wanted.lfHeight = size.lfHeight;
    font = CreateFontIndirectW(&wanted);
  }
  return font;
}

BOOL CALLBACK setFont(HWND child, LPARAM font) {
  SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
  return TRUE;
}

}  // namespace

void useUiFontIfFaceMissing(HWND dialog) {
  auto font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
  if (!faceIsMissing(font)) return;
  HFONT fallback = uiFont(font);
  if (!fallback) return;
  SendMessageW(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(fallback), TRUE);
  EnumChildWindows(dialog, setFont, reinterpret_cast<LPARAM>(fallback));
}
