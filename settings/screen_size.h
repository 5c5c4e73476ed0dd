// The size of the primary screen, which bounds the window size the settings
// file may restore.
//
// On Windows the system reports it (GetSystemMetrics SM_CXSCREEN and
// SM_CYSCREEN).  Elsewhere there is no screen to ask: the portable build has
// no window to place, so its provider reports kUnboundedScreen and any
// positive size passes.  Tests inject their own screen.
#pragma once

#include <cstdint>

class ScreenSize {
 public:
  virtual ~ScreenSize() = default;
  virtual int32_t width() const = 0;
  virtual int32_t height() const = 0;
};

// What the portable provider reports in both directions.
constexpr int32_t kUnboundedScreen = INT32_MAX;

// The running system's primary screen.
const ScreenSize& systemScreenSize();

// A screen of a fixed size.
class FixedScreenSize : public ScreenSize {
 public:
  FixedScreenSize(int32_t width, int32_t height) : width_(width), height_(height) {}
  int32_t width() const override { return width_; }
  int32_t height() const override { return height_; }

 private:
  int32_t width_;
  int32_t height_;
};
