// The editor's dialogs ask for "ＭＳ Ｐゴシック" at 9 points in their
// templates.  Where that face is not installed the system would substitute
// whatever font it finds for the character set, which can be a bitmap font
// that shows Japanese badly; useUiFontIfFaceMissing then gives the dialog and
// its controls the system's message font at the same size instead.
//
// Call it from OnInitDialog.  The fallback font is made once per height (a
// dialog's font follows its monitor's DPI) and kept for the life of the
// process.  User-interface thread only.
#pragma once

#include <windows.h>

void useUiFontIfFaceMissing(HWND dialog);
