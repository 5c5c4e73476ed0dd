#include "editor/search/search_commands.h"

#include <windows.h>

#include <dlgs.h>

#include <algorithm>

#include "editor/document/open_document.h"
#include "editor/editing/edit_ctrl.h"
#include "editor/res/resource.h"
#include "editor/search/field_byte_limit.h"
#include "editor/search/jump_line_dialog.h"
#include "editor/search/searcher.h"
#include "editor/window_host.h"
#include "orka/text/codepage.h"
#include "settings/settings.h"

namespace {

// The wait cursor for as long as a notification is being handled.
class WaitCursor {
 public:
  WaitCursor() : previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
  ~WaitCursor() { SetCursor(previous_); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  HCURSOR previous_;
};

}  // namespace

SearchCommands::SearchCommands(WindowHost& host, const OpenDocument& document, const Settings& settings)
    : host_(host), document_(document), settings_(settings) {
  host_.onCommand(ID_EDIT_FIND, [this] { openSearchDialog(Kind::Find); });
  host_.onCommand(ID_EDIT_FIND_NEXT, [this] {
    if (search_.searchText.empty())
      openSearchDialog(Kind::Find);
    else
      reportIfMissed(search_.findNext(*document_.edit()));
  });
  host_.onCommand(
      ID_EDIT_REPLACE, [this] { openSearchDialog(Kind::Replace); },
      [this](fw::CmdUI& ui) { ui.enable(!settings_.readOnly); });
  host_.onCommand(
      ID_EDIT_GOTO_LINE, [this] { goToLine(); }, [this](fw::CmdUI& ui) { ui.enable(!settings_.wordWrap); });
  host_.onMessage(fw::CFindReplaceDialog::message(),
                  [this](WPARAM wParam, LPARAM lParam) { return onSearchNotify(wParam, lParam); });
}

fw::CFindReplaceDialog* SearchCommands::openDialog() {
  // The dialog goes without a word when its owner is destroyed.
  if (open_.dialog && !IsWindow(open_.window)) open_.dialog = nullptr;
  return open_.dialog;
}

void SearchCommands::closeReplaceDialog() {
  if (openDialog() && open_.kind == Kind::Replace) {
    fw::CFindReplaceDialog* dialog = open_.dialog;
    open_.dialog = nullptr;
    dialog->close();
  }
}

void SearchCommands::forget() {
  if (openDialog()) {
    fw::CFindReplaceDialog* dialog = open_.dialog;
    open_.dialog = nullptr;
    dialog->close();
  }
  search_.forget();
}

// The selection's first line, else the last search text.
std::string SearchCommands::proposal() {
  const EditCtrl& edit = *document_.edit();
  const EditCtrl::Selection sel = edit.selection();
  EditTextLock lock = lockEditText(edit);
  const std::string_view text(lock.text, static_cast<size_t>(lock.length));
  const size_t start = std::min<size_t>(sel.start, text.size());
  const size_t end = std::min<size_t>(sel.end, text.size());
  std::string first = search::initialSearchText(text.substr(start, end - start));
  unlockEditText(lock);
  // Cut to the field, on a character boundary.
  size_t kept = 0;
  for (size_t next;
       kept < first.size() && (next = search::nextChar(systemCodePage(), first, kept)) <= kFieldBytes;)
    kept = next;
  first.resize(kept);
  if (first.empty()) return search_.searchText;
  return orka::codePageToUtf8(first, GetACP()).value_or(std::string());
}

void SearchCommands::openSearchDialog(Kind kind) {
  if (openDialog() && open_.kind != kind) {
    fw::CFindReplaceDialog* other = open_.dialog;
    open_.dialog = nullptr;
    other->close();
  }
  if (!open_.dialog) {
    DWORD flags = FR_HIDEWHOLEWORD;
    if (search_.down) flags |= FR_DOWN;
    if (!search_.ignoreCase) flags |= FR_MATCHCASE;
    fw::CFindReplaceDialog* dialog = fw::CFindReplaceDialog::create(
        kind == Kind::Find, proposal(), search_.replaceText, flags, host_.owner(), kFieldBytes);
    if (!dialog) return;
    // The system's fields count characters; the search keeps bytes.
    for (int field : {edt1, edt2}) limitFieldBytes(GetDlgItem(dialog->hwnd(), field), kFieldBytes);
    open_ = {dialog, dialog->hwnd(), kind};
  }
  SetActiveWindow(open_.window);
  ShowWindow(open_.window, SW_SHOW);
}

LRESULT SearchCommands::onSearchNotify(WPARAM, LPARAM lParam) {
  fw::CFindReplaceDialog* dialog = fw::CFindReplaceDialog::fromNotification(lParam);
  if (!dialog) return 0;
  if (dialog->isTerminating()) {
    if (dialog == open_.dialog) open_.dialog = nullptr;
    host_.focusText();
    return 0;
  }
  // The dialog's buttons carry on its command, and fail as it would.
  host_.runCommand(dialog->isFindOnly() ? ID_EDIT_FIND : ID_EDIT_REPLACE, [this, dialog] {
    WaitCursor wait;
    EditCtrl& edit = *document_.edit();
    if (dialog->findNext()) {
      takeDialogState(*dialog);
      reportIfMissed(search_.findNext(edit));
    } else if (dialog->replaceCurrent()) {
      takeDialogState(*dialog);
      reportIfMissed(search_.replaceOne(edit));
    } else if (dialog->replaceAll()) {
      takeDialogState(*dialog);
      if (!search_.replaceAll(edit))
        host_.showError("置換後のテキストが長すぎるため、すべて置換することはできません。");
    }
  });
  return 0;
}

void SearchCommands::takeDialogState(const fw::CFindReplaceDialog& dialog) {
  search_.searchText = dialog.findString();
  if (!dialog.isFindOnly()) search_.replaceText = dialog.replaceString();
  search_.down = dialog.searchDown();
  search_.ignoreCase = !dialog.matchCase();
}

void SearchCommands::reportIfMissed(bool found) {
  if (found) return;
  host_.ask("“" + search_.searchText + "”が見つかりません。", MB_OK | MB_ICONINFORMATION);
}

void SearchCommands::goToLine() {
  EditCtrl& edit = *document_.edit();
  JumpLineDialog dialog(host_.owner());
  dialog.m_line = edit.lineFromChar(-1) + 1;
  dialog.m_lineCount = edit.lineCount();
  if (dialog.DoModal() == IDOK) {
    const int position = edit.lineIndex(dialog.m_line - 1);
    if (position >= 0) {
      edit.setSelection(position, position);
      edit.send(EM_SCROLLCARET);
    }
  }
  host_.focusText();
}
