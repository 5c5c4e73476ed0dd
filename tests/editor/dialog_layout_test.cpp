// The editor's own dialogs show every label, check box and button text
// whole, with every control inside the dialog and clear of the others, at
// every scale from 100% to 200%.
//
// A dialog on a 192-dpi monitor is laid out in the dialog units of a font
// twice as many pixels high as at 96 dpi; rounding makes text and layout
// grow by different amounts, which is how a label that fits at 100% loses
// its end at 150%.  Wine runs the tests at 96 dpi, so each template is
// made again with its font at 9 to 18 points: the same pixel heights a
// 9-point dialog has at 96 to 192 dpi.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "editor/dialog_font.h"
#include "editor/res/resource.h"

namespace {

// Steps over a DLGTEMPLATEEX's menu, class or title field.
const WORD* skipField(const WORD* at) {
  if (*at == 0x0000) return at + 1;
  if (*at == 0xFFFF) return at + 2;
  while (*at) ++at;
  return at + 1;
}

// The template of `id` with its font set to `points`.
std::vector<WORD> templateAt(int id, WORD points) {
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5));  // RT_DIALOG
  if (!found) return {};
  const DWORD size = SizeofResource(nullptr, found);
  const void* bytes = LockResource(LoadResource(nullptr, found));
  std::vector<WORD> copy((size + 1) / 2);
  std::memcpy(copy.data(), bytes, size);
  // dlgVer, signature, helpID, exStyle, style, cDlgItems, x, y, cx, cy:
  // 13 words, then the three variable fields and the point size.
  const WORD* font = skipField(skipField(skipField(copy.data() + 13)));
  copy[font - copy.data()] = points;
  return copy;
}

INT_PTR CALLBACK quietDialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// What of `child`'s text does not fit; empty when all of it shows.
std::string cutText(HWND child) {
  wchar_t className[32] = {};
  GetClassNameW(child, className, 32);
  wchar_t text[256] = {};
  const int length = GetWindowTextW(child, text, 256);
  const LONG style = GetWindowLongW(child, GWL_STYLE);
  if (length == 0) return {};
  const bool isStatic = _wcsicmp(className, L"Static") == 0;
  const bool isButton = _wcsicmp(className, L"Button") == 0;
  const LONG type = style & (isStatic ? SS_TYPEMASK : BS_TYPEMASK);
  if (isStatic && type > SS_RIGHT && type != SS_LEFTNOWORDWRAP) return {};  // icons, frames
  if (!isStatic && !isButton) return {};

  RECT client{};
  GetClientRect(child, &client);
  HDC dc = GetDC(child);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)));
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  LONG room = client.right;
  UINT format = DT_CALCRECT | DT_SINGLELINE;
  if (isButton) {
    const bool box = type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE ||
                     type == BS_AUTO3STATE || type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
    // The box and the gap after it, about as wide as the text is high; a
    // push button's frame and its inner edge.
    room -= box ? metrics.tmHeight * 4 / 3 : 2 * GetSystemMetrics(SM_CXEDGE) + 2;
  } else if (type != SS_LEFTNOWORDWRAP) {
    format = DT_CALCRECT | DT_WORDBREAK;
  }
  RECT needed = {0, 0, room, 0};
  DrawTextW(dc, text, length, &needed, format);
  SelectObject(dc, old);
  ReleaseDC(child, dc);
  if (needed.right <= room && needed.bottom <= client.bottom) return {};
  char narrow[512] = {};
  WideCharToMultiByte(CP_UTF8, 0, text, length, narrow, sizeof narrow - 1, nullptr, nullptr);
  return std::string(narrow) + " needs " + std::to_string(needed.right) + "x" +
         std::to_string(needed.bottom) + ", has " + std::to_string(room) + "x" +
         std::to_string(client.bottom);
}

BOOL CALLBACK collectCuts(HWND child, LPARAM cuts) {
  const std::string cut = cutText(child);
  if (!cut.empty()) reinterpret_cast<std::vector<std::string>*>(cuts)->push_back(cut);
  return TRUE;
}

// The controls of `dialog` that reach outside it or cover another one, so
// that a control added without growing the dialog is caught.  An icon takes
// the size of its image rather than of its template, and an up-down control
// sits on its field's edge on purpose; neither is laid out by hand.
std::vector<std::string> misplaced(HWND dialog) {
  RECT inside{};
  GetClientRect(dialog, &inside);
  std::vector<std::pair<int, RECT>> seen;
  std::vector<std::string> found;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    wchar_t className[32] = {};
    GetClassNameW(child, className, 32);
    if (!(style & WS_VISIBLE) || _wcsicmp(className, UPDOWN_CLASSW) == 0) continue;
    if (_wcsicmp(className, L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON) continue;
    RECT at{};
    GetWindowRect(child, &at);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&at), 2);
    const int id = GetDlgCtrlID(child);
    RECT clipped{};
    IntersectRect(&clipped, &at, &inside);
    if (!EqualRect(&clipped, &at)) found.push_back("control " + std::to_string(id) + " reaches outside");
    for (const auto& [other, rect] : seen)
      if (IntersectRect(&clipped, &at, &rect))
        found.push_back("controls " + std::to_string(other) + " and " + std::to_string(id) + " overlap");
    seen.emplace_back(id, at);
  }
  return found;
}

TEST(DialogLayout, EveryTextShowsWholeAndEveryControlInPlaceFromOneToTwiceTheScale) {
  // A top-level owner for the modal templates and a parent for the Save As
  // panel, which is a child template.
  HWND owner =
      CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(owner, nullptr);
  for (int id : {IDD_ABOUT, IDD_JUMP_LINE, IDD_DATE_FORMAT, IDD_INPUT_PASSWORD, IDD_SAVE_PASSWORDS,
                 IDD_SECURITY, IDD_READ_ONLY_LIST}) {
    for (WORD points = 9; points <= 18; ++points) {
      SCOPED_TRACE("dialog " + std::to_string(id) + " at " + std::to_string(points) + " points");
      std::vector<WORD> bytes = templateAt(id, points);
      ASSERT_FALSE(bytes.empty());
      HWND dialog = CreateDialogIndirectParamW(nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()),
                                               owner, quietDialog, 0);
      ASSERT_NE(dialog, nullptr);
      useUiFontIfFaceMissing(dialog);
      std::vector<std::string> cuts;
      EnumChildWindows(dialog, collectCuts, reinterpret_cast<LPARAM>(&cuts));
      for (const std::string& cut : cuts) ADD_FAILURE() << cut;
      for (const std::string& place : misplaced(dialog)) ADD_FAILURE() << place;
      DestroyWindow(dialog);
    }
  }
  DestroyWindow(owner);
}

}  // namespace
