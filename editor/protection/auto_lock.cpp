#include "editor/protection/auto_lock.h"

#include <wtsapi32.h>

#include "editor/document/open_document.h"
#include "editor/protection/document_lock.h"
#include "editor/res/resource.h"
#include "editor/window_host.h"
#include "settings/security_settings.h"

namespace {

// Posted once the main window is enabled again, so that the lock comes
// after the command that opened the modal window has finished with the text.
constexpr UINT kLockAfterModal = WM_APP + 0x40;

}  // namespace

AutoLock::AutoLock(WindowHost& host, const OpenDocument& document, DocumentLock& lock,
                   const SecuritySettings& security)
    : host_(host), document_(document), lock_(lock), security_(security) {
  host_.onMessage(WM_ENABLE, [this](WPARAM enabled, LPARAM) { return onEnable(enabled); });
  host_.onMessage(kLockAfterModal, [this](WPARAM, LPARAM) {
    waiting_ = false;
    lockNow();
    return LRESULT{0};
  });
}

void AutoLock::onActivate(WPARAM wParam, LPARAM lParam) {
  const WORD state = LOWORD(wParam);
  if (state == WA_INACTIVE) {
    // Only leaving for another program counts, not for our own dialogs.
    DWORD process = 0;
    HWND other = reinterpret_cast<HWND>(lParam);
    if (other) GetWindowThreadProcessId(other, &process);
    away_ = !other || process != GetCurrentProcessId();
    return;
  }
  if (away_ && document_.locked() && !HIWORD(wParam))
    PostMessageW(host_.owner(), WM_COMMAND, ID_FILE_LOCK, 0);
  away_ = false;
}

void AutoLock::onSessionChange(WPARAM event) {
  if (event == WTS_SESSION_LOCK && security_.lockOnSessionLock) lockNow();
}

void AutoLock::onPowerEvent(WPARAM event) {
  if (event == PBT_APMSUSPEND && security_.lockOnSuspend) lockNow();
}

void AutoLock::watchSuspend() {
  using Register = void*(WINAPI*)(HANDLE recipient, DWORD flags);
  const auto registerNotice = reinterpret_cast<Register>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "RegisterSuspendResumeNotification")));
  if (registerNotice && !suspendNotice_)
    suspendNotice_ = registerNotice(host_.owner(), DEVICE_NOTIFY_WINDOW_HANDLE);
}

void AutoLock::stopWatchingSuspend() {
  using Unregister = BOOL(WINAPI*)(void* notice);
  const auto unregisterNotice = reinterpret_cast<Unregister>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "UnregisterSuspendResumeNotification")));
  if (unregisterNotice && suspendNotice_) unregisterNotice(suspendNotice_);
  suspendNotice_ = nullptr;
}

void AutoLock::onMinimized() {
  if (security_.lockOnMinimize) lockNow();
}

void AutoLock::onIdleTimer() {
  const uint32_t minutes = security_.idleMinutes;
  if (minutes == 0) return;
  LASTINPUTINFO input{};
  input.cbSize = sizeof input;
  if (!GetLastInputInfo(&input)) return;
  if (GetTickCount() - input.dwTime >= minutes * 60000u) lockNow();
}

void AutoLock::applySettings() {
  if (!host_.owner()) return;
  if (security_.idleMinutes != 0)
    SetTimer(host_.owner(), kIdleTimerId, 15000, nullptr);
  else
    KillTimer(host_.owner(), kIdleTimerId);
}

void AutoLock::lockNow() {
  if (!lock_.canLock()) return;
  // A modal window (a dialog, a message box) has the owner disabled; its
  // caller still holds the document's state, so locking must wait.
  if (!IsWindowEnabled(host_.owner())) {
    waiting_ = true;
    return;
  }
  lock_.lock();
}

LRESULT AutoLock::onEnable(WPARAM enabled) {
  if (enabled && waiting_) PostMessageW(host_.owner(), kLockAfterModal, 0, 0);
  return 0;
}
