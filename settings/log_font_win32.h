// Conversions between the settings' font block and the system's LOGFONT
// structures (Windows only).
//
// LOGFONTA is the same bytes.  LOGFONTW carries the face name in UTF-16: it
// is decoded from, and encoded to, the ANSI code page, the encoding the
// settings file keeps.  Use the wide form with CreateFontIndirectW and the
// font common dialog.
#pragma once

#include <windows.h>

#include "settings/log_font.h"

LOGFONTA toSystemLogFontA(const LogFontA& font);
LogFontA fromSystemLogFontA(const LOGFONTA& font);

// A face name the ANSI code page cannot decode becomes empty (the system then
// picks a font by the other fields).
LOGFONTW toSystemLogFontW(const LogFontA& font);
// False, leaving `out` unchanged, when the face name has no ANSI form or
// does not fit the 31 bytes the block allows.
bool fromSystemLogFontW(const LOGFONTW& font, LogFontA* out);
