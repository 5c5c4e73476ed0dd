#include "editor/datetime/date_format_dialog.h"

#include <utility>

#include "editor/datetime/date_time.h"
#include "editor/dialog_font.h"
#include "editor/res/resource.h"
#include "orka/text/wide.h"
#include "settings/settings.h"

namespace {

// Bytes `utf8` takes in the ANSI code page, the unit the settings file keeps.
size_t ansiLength(const std::string& utf8) { return orka::ansiByteCount(orka::widen(utf8)); }

// The format as the settings file keeps it: characters the code page cannot
// hold become what typed document text becomes, so the sample shows, and OK
// takes, the format that the next start reads back.
std::string asStored(const std::string& utf8) { return orka::narrow(orka::asAnsiStored(orka::widen(utf8))); }

}  // namespace

DateFormatDialog::DateFormatDialog(std::string format, HWND parent)
    : fw::CDialog(IDD_DATE_FORMAT, parent), m_format(std::move(format)) {}

BOOL DateFormatDialog::OnInitDialog() {
  useUiFontIfFaceMissing(hwnd());
  HWND combo = item(IDC_DATE_FORMAT);
  for (UINT id = IDS_DATE_FORMAT_FIRST; id <= IDS_DATE_FORMAT_LAST; ++id) {
    std::wstring entry = orka::widen(fw::loadString(id));
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
  }
  // The field counts characters; the byte limit itself is checked as the
  // user types (onEditChange), since a double-byte character takes two.
  SendMessageW(combo, CB_LIMITTEXT, Settings::kMaxDateFormatBytes, 0);
  setItemText(IDC_DATE_FORMAT, m_format);
  accepted_ = itemText(IDC_DATE_FORMAT);
  updatePreview(accepted_);
  return TRUE;
}

bool DateFormatDialog::OnCommand(UINT id, UINT code, HWND) {
  if (id != IDC_DATE_FORMAT) return false;
  if (code == CBN_EDITCHANGE) {
    onEditChange();
    return true;
  }
  if (code == CBN_SELCHANGE) {
    // The edit field still shows the previous text at this moment: preview
    // the item just picked.
    HWND combo = item(IDC_DATE_FORMAT);
    LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return true;
    std::wstring text(static_cast<size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, index, 0)), L'\0');
    SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    updatePreview(orka::narrow(text.c_str()));
    return true;
  }
  return false;
}

void DateFormatDialog::onEditChange() {
  std::string typed = itemText(IDC_DATE_FORMAT);
  if (ansiLength(typed) > Settings::kMaxDateFormatBytes) {
    // Refuse the keystroke as the field refuses its 101st character.
    MessageBeep(MB_OK);
    setItemText(IDC_DATE_FORMAT, accepted_);
    HWND combo = item(IDC_DATE_FORMAT);
    WORD end = static_cast<WORD>(GetWindowTextLengthW(combo));
    SendMessageW(combo, CB_SETEDITSEL, 0, MAKELPARAM(end, end));
    return;
  }
  accepted_ = std::move(typed);
  updatePreview(accepted_);
}

void DateFormatDialog::updatePreview(const std::string& format) {
  enableItem(IDOK, !format.empty());
  setItemText(IDC_DATE_SAMPLE, "［" + formatDateTime(asStored(format)) + "］");
}

void DateFormatDialog::OnOK() {
  std::string format = itemText(IDC_DATE_FORMAT);
  // Enter reaches here even while OK is disabled.
  if (format.empty()) return;
  m_format = asStored(format);
  EndDialog(IDOK);
}
