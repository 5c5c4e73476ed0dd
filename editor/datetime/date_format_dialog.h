// DateFormatDialog: picks the picture string that F5 inserts.
//
// The combo box offers the predefined formats (kept in the string table as
// part of the dialog) and takes any typed one of up to 100 bytes; a sample of
// the current time in the shown format is kept under it.  OK is disabled
// while the field is empty, so an empty format can never be chosen.
//
// m_format is the format going in and, after IDOK, the one chosen (UTF-8),
// converted as the settings file keeps it, as the sample shows it.
#pragma once

#include <string>

#include "framework/dialog.h"

class DateFormatDialog : public fw::CDialog {
 public:
  DateFormatDialog(std::string format, HWND parent);

  std::string m_format;

  BOOL OnInitDialog() override;
  void OnOK() override;
  bool OnCommand(UINT id, UINT code, HWND control) override;

  // Enables OK for a non-empty format and shows its sample in brackets.
  void updatePreview(const std::string& format);

 private:
  void onEditChange();

  std::string accepted_;  // the field's text as last accepted
};
