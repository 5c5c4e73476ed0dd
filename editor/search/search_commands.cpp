#include "editor/search/search_commands.h"

#include <windows.h>

#include <dlgs.h>

#include <algorithm>

#include "editor/editing/edit_ctrl.h"
#include "editor/search/field_byte_limit.h"
#include "editor/search/jump_line_dialog.h"
#include "editor/main_wnd.h"
#include "editor/res/resource.h"
#include "editor/search/searcher.h"
#include "framework/modal.h"
#include "orka/text/codepage.h"

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

SearchCommands::SearchCommands(CMainWnd& main) : main_(main) {
  main_.onCommand(ID_EDIT_FIND, [this] { openSearchDialog(Kind::Find); });
  main_.onCommand(ID_EDIT_FIND_NEXT, [this] {
    if (search_.searchText.empty())
      openSearchDialog(Kind::Find);
    else
      reportIfMissed(search_.findNext(*main_.editCtrl()));
  });
  main_.onCommand(
      ID_EDIT_REPLACE, [this] { openSearchDialog(Kind::Replace); },
      [this](fw::CmdUI& ui) { ui.enable(!main_.settings().readOnly); });
  main_.onCommand(
      ID_EDIT_GOTO_LINE, [this] { goToLine(); }, [this](fw::CmdUI& ui) { ui.enable(!main_.settings().wordWrap); });
  main_.onMessage(fw::CFindReplaceDialog::message(),
                  [this](WPARAM wParam, LPARAM lParam) { return onSearchNotify(wParam, lParam); });
  main_.setReadOnlyListener([this] { closeReplaceDialog(); });
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
  const EditCtrl& edit = *main_.editCtrl();
  const EditCtrl::Selection sel = edit.selection();
  EditTextLock lock = lockEditText(edit);
  const std::string_view text(lock.text, static_cast<size_t>(lock.length));
  const size_t start = std::min<size_t>(sel.start, text.size());
  const size_t end = std::min<size_t>(sel.end, text.size());
  std::string first = search::initialSearchText(text.substr(start, end - start));
  unlockEditText(lock);
  // Cut to the field, on a character boundary.
  size_t kept = 0;
  for (size_t next; kept < first.size() && (next = search::nextChar(systemCodePage(), first, kept)) <= kFieldBytes;)
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
        kind == Kind::Find, proposal(), search_.replaceText, flags, main_.hwnd(), kFieldBytes);
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
    main_.focusEdit();
    return 0;
  }
  // The dialog's buttons carry on its command, and fail as it would.
  main_.runCommand(dialog->isFindOnly() ? ID_EDIT_FIND : ID_EDIT_REPLACE, [this, dialog] {
    WaitCursor wait;
    EditCtrl& edit = *main_.editCtrl();
    if (dialog->findNext()) {
      takeDialogState(*dialog);
      reportIfMissed(search_.findNext(edit));
    } else if (dialog->replaceCurrent()) {
      takeDialogState(*dialog);
      reportIfMissed(search_.replaceOne(edit));
    } else if (dialog->replaceAll()) {
      takeDialogState(*dialog);
      if (!search_.replaceAll(edit))
        fw::messageBox(main_.hwnd(), "置換後のテキストが長すぎるため、すべて置換することはできません。",
                       CMainWnd::kErrorCaption, MB_OK | MB_ICONEXCLAMATION);
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
  fw::messageBox(main_.hwnd(), "“" + search_.searchText + "”が見つかりません。", CMainWnd::kQuestionCaption,
                 MB_OK | MB_ICONINFORMATION);
}

void SearchCommands::goToLine() {
  EditCtrl& edit = *main_.editCtrl();
  JumpLineDialog dialog(main_.hwnd());
  dialog.m_line = edit.lineFromChar(-1) + 1;
  dialog.m_lineCount = edit.lineCount();
  if (dialog.DoModal() == IDOK) {
    const int position = edit.lineIndex(dialog.m_line - 1);
    if (position >= 0) {
      edit.setSelection(position, position);
      edit.send(EM_SCROLLCARET);
    }
  }
  main_.focusEdit();
}
