#include "editor/protection/security_dialog.h"

#include <commctrl.h>

#include <string>

#include "editor/dialog_font.h"
#include "editor/window_host.h"
#include "editor/res/resource.h"
#include "framework/modal.h"

SecurityDialog::SecurityDialog(SecuritySettings& settings, HWND parent)
    : fw::CDialog(IDD_SECURITY, parent), settings_(settings) {}

BOOL SecurityDialog::OnInitDialog() {
  useUiFontIfFaceMissing(hwnd());
  SendMessageW(item(IDC_IDLE_SPIN), UDM_SETRANGE32, 0, SecuritySettings::kMaxIdleMinutes);
  setItemInt(IDC_IDLE_MINUTES, static_cast<int>(settings_.idleMinutes), false);
  setChecked(IDC_LOCK_ON_MINIMIZE, settings_.lockOnMinimize);
  setChecked(IDC_LOCK_ON_SESSION_LOCK, settings_.lockOnSessionLock);
  setChecked(IDC_CLEAR_CLIPBOARD, settings_.clearClipboard);
  setChecked(IDC_STRONG_NEW_DOCUMENTS, settings_.strongNewDocuments);
  return TRUE;
}

void SecurityDialog::OnOK() {
  bool ok = false;
  const int minutes = itemInt(IDC_IDLE_MINUTES, &ok, false);
  if (!ok || minutes < 0 || static_cast<unsigned>(minutes) > SecuritySettings::kMaxIdleMinutes) {
    fw::messageBox(hwnd(),
                   "分数には 0 から " + std::to_string(SecuritySettings::kMaxIdleMinutes) + " までの数を入力してください。",
                   kErrorCaption, MB_OK | MB_ICONEXCLAMATION);
    focusItem(IDC_IDLE_MINUTES);
    return;
  }
  settings_.idleMinutes = static_cast<uint32_t>(minutes);
  settings_.lockOnMinimize = isChecked(IDC_LOCK_ON_MINIMIZE);
  settings_.lockOnSessionLock = isChecked(IDC_LOCK_ON_SESSION_LOCK);
  settings_.clearClipboard = isChecked(IDC_CLEAR_CLIPBOARD);
  settings_.strongNewDocuments = isChecked(IDC_STRONG_NEW_DOCUMENTS);
  EndDialog(IDOK);
}
