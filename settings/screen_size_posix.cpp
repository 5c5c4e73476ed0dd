#include "settings/screen_size.h"

const ScreenSize& systemScreenSize() {
  static const FixedScreenSize unbounded(kUnboundedScreen, kUnboundedScreen);
  return unbounded;
}
