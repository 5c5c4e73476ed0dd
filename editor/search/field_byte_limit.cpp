#include "editor/search/field_byte_limit.h"

#include <commctrl.h>

#include <string>

#include "framework/wnd.h"
#include "orka/text/wide.h"

namespace {

constexpr UINT_PTR kSubclassId = 1;

bool mayAddText(UINT message) {
  switch (message) {
    case WM_CHAR:
    case WM_IME_CHAR:
    case WM_UNICHAR:
    case WM_IME_COMPOSITION:
    case WM_PASTE:
    case WM_UNDO:
    case EM_UNDO:
    case EM_REPLACESEL:
    case WM_SETTEXT:
      return true;
    default:
      return false;
  }
}

LRESULT CALLBACK limitProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR maxBytes) {
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(field, limitProc, kSubclassId);
    return DefSubclassProc(field, message, wParam, lParam);
  }
  if (!mayAddText(message)) return DefSubclassProc(field, message, wParam, lParam);
  try {
    const std::wstring before = fw::wideWindowTextOf(field);
    const size_t beforeBytes = orka::ansiByteCount(before);
    DWORD start = 0, end = 0;
    SendMessageW(field, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    const LRESULT result = DefSubclassProc(field, message, wParam, lParam);
    // Only growth past the limit is refused, so putting the old text back
    // (which comes through here too) always passes.
    const size_t after = orka::ansiByteCount(fw::wideWindowTextOf(field));
    if (after <= maxBytes || after <= beforeBytes) return result;
    SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(before.c_str()));
    SendMessageW(field, EM_SETSEL, start, end);
    MessageBeep(MB_OK);
    return message == WM_SETTEXT ? FALSE : 0;
  } catch (...) {
    // Nothing may unwind into the system's code; a field of a few hundred
    // bytes is no reason to fail otherwise.
    return 0;
  }
}

}  // namespace

bool limitFieldBytes(HWND field, int maxBytes) {
  return field && SetWindowSubclass(field, limitProc, kSubclassId, static_cast<DWORD_PTR>(maxBytes));
}
