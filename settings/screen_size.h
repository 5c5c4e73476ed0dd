// The size of the primary screen, which bounds the window size the settings
// file may restore, and its density, which sizes the default font.
//
// On Windows the system reports them (GetSystemMetrics SM_CXSCREEN and
// SM_CYSCREEN, the screen DC's LOGPIXELSY).  Elsewhere there is no screen to
// ask: the portable build has no window to place, so its provider reports
// kUnboundedScreen at 96 dpi and any positive size passes.  Tests inject
// their own screen.
#pragma once

#include <cstdint>

class ScreenSize {
 public:
  virtual ~ScreenSize() = default;
  virtual int32_t width() const = 0;
  virtual int32_t height() const = 0;
  // Pixels per logical inch; 96 at 100% scaling.
  virtual int32_t dpi() const = 0;
};

// What the portable provider reports in both directions.
constexpr int32_t kUnboundedScreen = INT32_MAX;

// The running system's primary screen.
const ScreenSize& systemScreenSize();

// A screen of a fixed size.
class FixedScreenSize : public ScreenSize {
 public:
  FixedScreenSize(int32_t width, int32_t height, int32_t dpi = 96)
      : width_(width), height_(height), dpi_(dpi) {}
  int32_t width() const override { return width_; }
  int32_t height() const override { return height_; }
  int32_t dpi() const override { return dpi_; }

 private:
  int32_t width_;
  int32_t height_;
  int32_t dpi_;
};
