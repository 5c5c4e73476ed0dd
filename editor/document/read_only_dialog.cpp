#include "editor/document/read_only_dialog.h"

#include <commctrl.h>

#include <string>

#include "editor/dialog_font.h"
#include "editor/res/resource.h"
#include "framework/modal.h"
#include "orka/text/wide.h"

namespace {

constexpr int kColumnWidth = 280;

// The check box of a row lives in its state image: 1 unticked, 2 ticked.
void setTicked(HWND list, int row, bool ticked) {
  LVITEMW item{};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(ticked ? 2 : 1);
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

bool isTicked(HWND list, int row) {
  auto state = static_cast<UINT>(SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK));
  return (state >> 12) == 2;
}

std::string rowText(HWND list, int row) {
  // The list view answers with the number of characters it copied; a full
  // buffer may mean the text was cut, so try again with more room.
  for (size_t room = MAX_PATH;; room *= 2) {
    std::wstring text(room, L'\0');
    LVITEMW item{};
    item.iSubItem = 0;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(room);
    auto copied = static_cast<size_t>(
        SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)));
    if (copied + 1 < room) return orka::narrow(std::wstring_view(text.data(), copied));
  }
}

}  // namespace

ReadOnlyDialog::ReadOnlyDialog(Settings& settings, HWND parent)
    : fw::CDialog(IDD_READ_ONLY_LIST, parent), settings_(settings) {}

BOOL ReadOnlyDialog::OnInitDialog() {
  useUiFontIfFaceMissing(hwnd());
  setChecked(IDC_PER_FILE_READ_ONLY, settings_.perFileReadOnly);
  setItemInt(IDC_READ_ONLY_CAPACITY, settings_.readOnlyList.capacity());

  HWND list = item(IDC_READ_ONLY_FILES);
  std::wstring heading = L"ファイル名";
  LVCOLUMNW column{};
  column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
  column.fmt = LVCFMT_LEFT;
  column.cx = kColumnWidth;
  column.pszText = heading.data();
  SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
  const DWORD extended = LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT;
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);

  for (const ReadOnlyEntry& entry : settings_.readOnlyList) {
    std::wstring path = orka::widen(entry.path);
    LVITEMW row{};
    row.mask = LVIF_TEXT;
    row.iItem = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    row.pszText = path.data();
    int index = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&row)));
    if (index >= 0) setTicked(list, index, entry.readOnly);
  }
  enableList();
  return TRUE;
}

bool ReadOnlyDialog::OnCommand(UINT id, UINT code, HWND) {
  if (id != IDC_PER_FILE_READ_ONLY || code != BN_CLICKED) return false;
  enableList();
  return true;
}

void ReadOnlyDialog::enableList() {
  const bool on = isChecked(IDC_PER_FILE_READ_ONLY);
  enableItem(IDC_READ_ONLY_CAPACITY, on);
  enableItem(IDC_READ_ONLY_FILES, on);
}

void ReadOnlyDialog::OnOK() {
  bool number = false;
  const int capacity = itemInt(IDC_READ_ONLY_CAPACITY, &number, true);
  if (!number || capacity <= 0) {
    fw::messageBox(hwnd(), "記憶するデータ数には1以上の値を指定してください。", "警告 [ミルデア]",
                   MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  settings_.perFileReadOnly = isChecked(IDC_PER_FILE_READ_ONLY);
  ReadOnlyList& remembered = settings_.readOnlyList;
  remembered.setCapacity(capacity);
  // Touching the rows from the bottom up leaves them in the shown order,
  // and whatever lies beyond the capacity is evicted again at once.
  HWND list = item(IDC_READ_ONLY_FILES);
  for (int row = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)) - 1; row >= 0; --row)
    remembered.touch(rowText(list, row)) = isTicked(list, row);
  EndDialog(IDOK);
}
