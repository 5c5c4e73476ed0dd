#include <windows.h>

#include "settings/screen_size.h"

namespace {

// Asks each time: the screen may change between start-up and a later check.
class SystemScreenSize : public ScreenSize {
 public:
  int32_t width() const override { return GetSystemMetrics(SM_CXSCREEN); }
  int32_t height() const override { return GetSystemMetrics(SM_CYSCREEN); }
};

}  // namespace

const ScreenSize& systemScreenSize() {
  static const SystemScreenSize screen;
  return screen;
}
