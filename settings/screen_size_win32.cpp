#include <windows.h>

#include "settings/screen_size.h"

namespace {

// Asks each time: the screen may change between start-up and a later check.
class SystemScreenSize : public ScreenSize {
 public:
  int32_t width() const override { return GetSystemMetrics(SM_CXSCREEN); }
  int32_t height() const override { return GetSystemMetrics(SM_CYSCREEN); }
  // The system DPI, which is what the font dialog measures heights in.
  int32_t dpi() const override {
    HDC screen = GetDC(nullptr);
    const int found = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return found > 0 ? found : 96;
  }
};

}  // namespace

const ScreenSize& systemScreenSize() {
  static const SystemScreenSize screen;
  return screen;
}
