// ReadOnlyDialog: the per-file read-only settings.  A check box switches
// the feature, a field sets how many documents the list remembers, and a
// list view shows the remembered documents from the most to the least
// recently used, each with a check box for its read-only flag.
//
// The dialog edits the settings record in place, and only on OK: the
// switch, the capacity, and the list rewritten as shown (the first
// `capacity` rows, in the shown order, each with its tick).  A capacity that
// is empty, not a number or below 1 is refused with a warning and the dialog
// stays open.  Rows cannot be added or removed here.  The record must
// outlive the dialog.  User-interface thread only.
#pragma once

#include "framework/dialog.h"
#include "settings/settings.h"

class ReadOnlyDialog : public fw::CDialog {
 public:
  explicit ReadOnlyDialog(Settings& settings, HWND parent = nullptr);

  BOOL OnInitDialog() override;
  void OnOK() override;
  bool OnCommand(UINT id, UINT code, HWND control) override;

 private:
  // The capacity field and the list follow the check box.
  void enableList();

  Settings& settings_;
};
