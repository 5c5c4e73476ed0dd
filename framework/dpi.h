// DPI of the system, of a window and of a monitor, and scaling between them.
//
// The program declares per-monitor awareness, so each top-level window keeps
// the DPI of the monitor it is on and is told by WM_DPICHANGED when that
// changes; sizes that the program picks itself are given at 96 dpi (100%)
// and scaled with scaleDpi.  The per-monitor functions of Windows 8.1 and 10
// are looked up at run time: where they are missing (Windows 7) every answer
// is the system DPI, which is then the only one there is.
//
// Never fails: an unknown DPI reads as the system DPI, and that as 96.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace fw {

// The DPI at which sizes in resources and code are given.
constexpr UINT kBaseDpi = 96;

// The DPI the whole session started with (the one GDI's screen DC reports).
UINT systemDpi();
// The DPI of the monitor a window is on, as the system last told it.
UINT windowDpi(HWND hwnd);
// The effective DPI of a monitor (what its scaling setting makes of it).
UINT monitorDpi(HMONITOR monitor);

// `value` given at `from` dpi, expressed at `to` dpi, rounded to nearest.
int scaleBetween(int value, UINT from, UINT to);
// `value` given at 96 dpi, expressed at `dpi`.
inline int scaleDpi(int value, UINT dpi) { return scaleBetween(value, kBaseDpi, dpi); }

// GetSystemMetrics(`index`) as on a monitor of `dpi`: the system's answer
// where it has one for any DPI, otherwise the system-DPI value scaled.
int systemMetricForDpi(int index, UINT dpi);

// The system's non-client metrics (menu, status and message fonts) for
// `dpi`: the system's answer where it has one for any DPI, otherwise the
// system-DPI metrics with their font heights scaled.  False when the system
// gives none at all.
bool nonClientMetricsForDpi(UINT dpi, NONCLIENTMETRICSW* metrics);

}  // namespace fw
