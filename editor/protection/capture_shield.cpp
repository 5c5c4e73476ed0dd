#include "editor/protection/capture_shield.h"

#include "settings/security_settings.h"

namespace {

class SystemDisplayAffinity : public DisplayAffinityApi {
 public:
  bool set(HWND window, DWORD affinity) override {
    return SetWindowDisplayAffinity(window, affinity) != FALSE;
  }
};

}  // namespace

DisplayAffinityApi& systemDisplayAffinity() {
  static SystemDisplayAffinity api;
  return api;
}

CaptureShield::CaptureShield(DisplayAffinityApi& api, const SecuritySettings& settings)
    : api_(api), settings_(settings) {}

void CaptureShield::protect(HWND window) {
  if (settings_.hideFromCapture) set(window, true);
}

void CaptureShield::apply() {
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM self) {
        auto* shield = reinterpret_cast<CaptureShield*>(self);
        if (IsWindowVisible(window)) shield->set(window, shield->settings_.hideFromCapture);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(this));
}

void CaptureShield::set(HWND window, bool hidden) {
  if (!hidden) {
    api_.set(window, kNone);
    return;
  }
  if (!api_.set(window, kExcludeFromCapture)) api_.set(window, kMonitor);
}
