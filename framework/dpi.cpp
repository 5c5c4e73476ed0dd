#include "framework/dpi.h"

#include <initializer_list>

namespace fw {

namespace {

// Looks a function up in a system library that may not have it.  shcore.dll
// does not exist before Windows 8.1, so it is loaded on demand and kept.
template <class Fn>
Fn systemFunction(const wchar_t* library, const char* name) {
  HMODULE module = GetModuleHandleW(library);
  if (!module) module = LoadLibraryW(library);
  if (!module) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using SystemParametersInfoForDpiFn = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);

constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI

void scaleFont(LOGFONTW& font, UINT from, UINT to) { font.lfHeight = scaleBetween(font.lfHeight, from, to); }

}  // namespace

UINT systemDpi() {
  static const UINT dpi = [] {
    HDC screen = GetDC(nullptr);
    const int found = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return found > 0 ? static_cast<UINT>(found) : kBaseDpi;
  }();
  return dpi;
}

UINT windowDpi(HWND hwnd) {
  static const auto getDpiForWindow = systemFunction<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
  const UINT dpi = getDpiForWindow && hwnd ? getDpiForWindow(hwnd) : 0;
  return dpi != 0 ? dpi : systemDpi();
}

UINT monitorDpi(HMONITOR monitor) {
  static const auto getDpiForMonitor = systemFunction<GetDpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor");
  UINT x = 0;
  UINT y = 0;
  if (getDpiForMonitor && monitor && SUCCEEDED(getDpiForMonitor(monitor, kEffectiveDpi, &x, &y)) && y != 0)
    return y;
  return systemDpi();
}

int scaleBetween(int value, UINT from, UINT to) {
  if (from == 0 || from == to) return value;
  return MulDiv(value, static_cast<int>(to), static_cast<int>(from));
}

int systemMetricForDpi(int index, UINT dpi) {
  static const auto forDpi =
      systemFunction<GetSystemMetricsForDpiFn>(L"user32.dll", "GetSystemMetricsForDpi");
  if (forDpi) return forDpi(index, dpi);
  return scaleBetween(GetSystemMetrics(index), systemDpi(), dpi);
}

bool nonClientMetricsForDpi(UINT dpi, NONCLIENTMETRICSW* metrics) {
  static const auto forDpi =
      systemFunction<SystemParametersInfoForDpiFn>(L"user32.dll", "SystemParametersInfoForDpi");
  *metrics = {};
  metrics->cbSize = sizeof *metrics;
  if (forDpi && forDpi(SPI_GETNONCLIENTMETRICS, sizeof *metrics, metrics, 0, dpi)) return true;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof *metrics, metrics, 0)) return false;
  for (LOGFONTW* font : {&metrics->lfCaptionFont, &metrics->lfSmCaptionFont, &metrics->lfMenuFont,
                         &metrics->lfStatusFont, &metrics->lfMessageFont})
    scaleFont(*font, systemDpi(), dpi);
  return true;
}

}  // namespace fw
