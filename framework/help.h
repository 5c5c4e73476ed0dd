// HTML Help without linking the help library: hhctrl.ocx is loaded, from the
// system folder only, when help is first asked for, so a system without it
// still runs the program.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string_view>

namespace fw {

// Commands of the help viewer used by programs here.
constexpr UINT kHelpDisplayToc = 1;  // HH_DISPLAY_TOC

// Opens `helpFile` (UTF-8 path of a .chm) with that command.  False when the
// viewer cannot be loaded, the file does not exist, or the viewer opened no
// window; the caller reports it.
bool showHtmlHelp(HWND owner, std::string_view helpFile, UINT command = kHelpDisplayToc, DWORD_PTR data = 0);

}  // namespace fw
