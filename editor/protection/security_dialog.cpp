#include "editor/protection/security_dialog.h"

#include <commctrl.h>

#include <optional>
#include <string>

#include "editor/dialog_font.h"
#include "editor/window_host.h"
#include "editor/res/resource.h"
#include "framework/modal.h"

namespace {

// The check boxes and the settings they show.
struct Flag {
  int id;
  bool SecuritySettings::*field;
};

const Flag kFlags[] = {
    {IDC_LOCK_ON_MINIMIZE, &SecuritySettings::lockOnMinimize},
    {IDC_LOCK_ON_SESSION_LOCK, &SecuritySettings::lockOnSessionLock},
    {IDC_LOCK_ON_SUSPEND, &SecuritySettings::lockOnSuspend},
    {IDC_CLEAR_CLIPBOARD, &SecuritySettings::clearClipboard},
    {IDC_CLIPBOARD_TIMER, &SecuritySettings::clipboardTimer},
    {IDC_HIDE_FROM_CAPTURE, &SecuritySettings::hideFromCapture},
    {IDC_KEEP_OFF_RECENT, &SecuritySettings::keepOffRecent},
    {IDC_KEEP_RECOVERY_COPY, &SecuritySettings::keepRecoveryCopy},
    {IDC_STRONG_NEW_DOCUMENTS, &SecuritySettings::strongNewDocuments},
};

}  // namespace

SecurityDialog::SecurityDialog(SecuritySettings& settings, HWND parent)
    : fw::CDialog(IDD_SECURITY, parent), settings_(settings) {}

BOOL SecurityDialog::OnInitDialog() {
  useUiFontIfFaceMissing(hwnd());
  SendMessageW(item(IDC_IDLE_SPIN), UDM_SETRANGE32, 0, SecuritySettings::kMaxIdleMinutes);
  SendMessageW(item(IDC_CLIPBOARD_SPIN), UDM_SETRANGE32, SecuritySettings::kMinClipboardSeconds,
               SecuritySettings::kMaxClipboardSeconds);
  setItemInt(IDC_IDLE_MINUTES, static_cast<int>(settings_.idleMinutes), false);
  setItemInt(IDC_CLIPBOARD_SECONDS, static_cast<int>(settings_.clipboardSeconds), false);
  for (const Flag& flag : kFlags) setChecked(flag.id, settings_.*flag.field);
  return TRUE;
}

// A number from the field between `min` and `max`; otherwise a warning, the
// focus on the field, and nothing.
std::optional<uint32_t> SecurityDialog::numberIn(int id, const char* unit, uint32_t min, uint32_t max) {
  bool ok = false;
  const int value = itemInt(id, &ok, false);
  if (ok && value >= 0 && static_cast<uint32_t>(value) >= min && static_cast<uint32_t>(value) <= max)
    return static_cast<uint32_t>(value);
  fw::messageBox(hwnd(),
                 std::string(unit) + "には " + std::to_string(min) + " から " + std::to_string(max) +
                     " までの数を入力してください。",
                 kErrorCaption, MB_OK | MB_ICONEXCLAMATION);
  focusItem(id);
  return std::nullopt;
}

void SecurityDialog::OnOK() {
  const std::optional<uint32_t> minutes =
      numberIn(IDC_IDLE_MINUTES, "分数", 0, SecuritySettings::kMaxIdleMinutes);
  if (!minutes) return;
  const std::optional<uint32_t> seconds =
      numberIn(IDC_CLIPBOARD_SECONDS, "秒数", SecuritySettings::kMinClipboardSeconds,
               SecuritySettings::kMaxClipboardSeconds);
  if (!seconds) return;
  settings_.idleMinutes = *minutes;
  settings_.clipboardSeconds = *seconds;
  for (const Flag& flag : kFlags) settings_.*flag.field = isChecked(flag.id);
  EndDialog(IDOK);
}
