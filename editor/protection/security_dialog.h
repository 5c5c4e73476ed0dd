// SecurityDialog: the security settings (security_settings.h) — minutes
// without input before the document locks (0 = never), locking when the
// window is minimised, when Windows locks the session and before sleep,
// clearing the clipboard on lock and exit and after some seconds, keeping
// the windows out of screen captures and the documents off the recent
// lists, keeping an enciphered copy of unsaved changes, and the format of
// new documents.
//
// The dialog edits the record in place, and only on OK.  Minutes or seconds
// that are empty, not a number or out of range are refused with a warning
// and the dialog stays open with the focus on the field.  The record must
// outlive the dialog; the caller saves it.  User-interface thread only.
#pragma once

#include <cstdint>
#include <optional>

#include "framework/dialog.h"
#include "settings/security_settings.h"

class SecurityDialog : public fw::CDialog {
 public:
  explicit SecurityDialog(SecuritySettings& settings, HWND parent = nullptr);

  BOOL OnInitDialog() override;
  void OnOK() override;

 private:
  std::optional<uint32_t> numberIn(int id, const char* unit, uint32_t min, uint32_t max);

  SecuritySettings& settings_;
};
