// SecurityDialog: the security settings (security_settings.h) — minutes
// without input before the document locks (0 = never), locking when the
// window is minimised, locking when Windows locks the session, and clearing
// the clipboard on lock and exit.
//
// The dialog edits the record in place, and only on OK.  Minutes that are
// empty, not a number or above the limit are refused with a warning and
// the dialog stays open with the focus on the field.  The record must
// outlive the dialog; the caller saves it.  User-interface thread only.
#pragma once

#include "framework/dialog.h"
#include "settings/security_settings.h"

class SecurityDialog : public fw::CDialog {
 public:
  explicit SecurityDialog(SecuritySettings& settings, HWND parent = nullptr);

  BOOL OnInitDialog() override;
  void OnOK() override;

 private:
  SecuritySettings& settings_;
};
