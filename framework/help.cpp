#include "framework/help.h"

#include "orka/files/dll_search_win32.h"
#include "orka/text/wide.h"

namespace fw {

bool showHtmlHelp(HWND owner, std::string_view helpFile, UINT command, DWORD_PTR data) {
  const std::wstring path = orka::widen(helpFile);
  // The viewer answers a missing file with an empty window on some systems;
  // checking first gives the caller a clear failure instead.
  if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
  using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);
  static const HtmlHelpFn htmlHelp = [] {
    HMODULE viewer = orka::loadSystemLibrary(L"hhctrl.ocx");
    return viewer ? reinterpret_cast<HtmlHelpFn>(reinterpret_cast<void*>(GetProcAddress(viewer, "HtmlHelpW")))
                  : nullptr;
  }();
  return htmlHelp && htmlHelp(owner, path.c_str(), command, data) != nullptr;
}

}  // namespace fw
