#include "editor/search_commands.h"

#include <windows.h>

#include <utility>

#include "editor/edit_ctrl.h"
#include "editor/jump_line_dialog.h"
#include "editor/main_wnd.h"
#include "editor/res/resource.h"
#include "editor/search/searcher.h"
#include "framework/modal.h"
#include "orka/text/codepage.h"
#include "orka/text/wide.h"

namespace {

constexpr const char* kConfirmCaption = "確認 [ミルデア]";

// The system code page's lead bytes, as the engine needs them.
const search::CodePage& systemCodePage() {
  static const search::CodePage cp = [] {
    CPINFO info{};
    if (!GetCPInfo(CP_ACP, &info)) return search::CodePage();
    return search::CodePage::fromLeadRanges(info.LeadByte, GetACP() == 932);
  }();
  return cp;
}

// The edit control's whole text as ANSI bytes for the length of one call of
// `use`; nothing may change the text meanwhile.
template <class Use>
auto withEditText(const EditCtrl& edit, Use use) {
  EditTextLock lock = lockEditText(edit);
  auto result = use(std::string_view(lock.text, static_cast<size_t>(lock.length)));
  unlockEditText(lock);
  return result;
}

// A replacement goes in as typed text does: characters the code page cannot
// hold become what saving would make of them.
std::string toAnsiAsStored(const std::string& utf8) {
  const std::wstring wide = orka::widen(utf8);
  if (wide.empty()) return {};
  const int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                    nullptr);
  std::string ansi(static_cast<size_t>(n > 0 ? n : 0), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), ansi.data(), n, nullptr, nullptr);
  return ansi;
}

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
    if (state_.searchText.empty())
      openSearchDialog(Kind::Find);
    else
      findNextOrReport();
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

SearchCommands::~SearchCommands() = default;

fw::CFindReplaceDialog* SearchCommands::openDialog() {
  // The dialog goes without a word when its owner is destroyed.
  if (state_.dialog && !IsWindow(state_.dialogWindow)) state_.dialog = nullptr;
  return state_.dialog;
}

void SearchCommands::closeReplaceDialog() {
  if (openDialog() && state_.kind == Kind::Replace) {
    fw::CFindReplaceDialog* dialog = state_.dialog;
    state_.dialog = nullptr;
    dialog->close();
  }
}

std::string SearchCommands::proposal() {
  EditCtrl& edit = *main_.editCtrl();
  const EditCtrl::Selection sel = edit.selection();
  std::string bytes = withEditText(edit, [&](std::string_view text) {
    const size_t start = std::min<size_t>(sel.start, text.size());
    const size_t end = std::min<size_t>(sel.end, text.size());
    std::string first = search::initialSearchText(text.substr(start, end - start));
    // Cut to the field, on a character boundary.
    size_t kept = 0;
    for (size_t next; kept < first.size() && (next = search::nextChar(systemCodePage(), first, kept)) <= kFieldBytes;)
      kept = next;
    first.resize(kept);
    return first;
  });
  if (bytes.empty()) return state_.searchText;
  return orka::codePageToUtf8(bytes, GetACP()).value_or(std::string());
}

void SearchCommands::openSearchDialog(Kind kind) {
  if (openDialog() && state_.kind != kind) {
    fw::CFindReplaceDialog* other = state_.dialog;
    state_.dialog = nullptr;
    other->close();
  }
  if (!state_.dialog) {
    DWORD flags = FR_HIDEWHOLEWORD;
    if (state_.down) flags |= FR_DOWN;
    if (!state_.ignoreCase) flags |= FR_MATCHCASE;
    fw::CFindReplaceDialog* dialog = fw::CFindReplaceDialog::create(
        kind == Kind::Find, proposal(), state_.replaceText, flags, main_.hwnd(), kFieldBytes);
    if (!dialog) return;
    state_.dialog = dialog;
    state_.dialogWindow = dialog->hwnd();
    state_.kind = kind;
  }
  SetActiveWindow(state_.dialogWindow);
  ShowWindow(state_.dialogWindow, SW_SHOW);
}

LRESULT SearchCommands::onSearchNotify(WPARAM, LPARAM lParam) {
  fw::CFindReplaceDialog* dialog = fw::CFindReplaceDialog::fromNotification(lParam);
  if (!dialog) return 0;
  WaitCursor wait;
  if (dialog->isTerminating()) {
    if (dialog == state_.dialog) state_.dialog = nullptr;
    main_.focusEdit();
  } else if (dialog->findNext()) {
    takeDialogState(*dialog);
    findNextOrReport();
  } else if (dialog->replaceCurrent()) {
    takeDialogState(*dialog);
    replaceOne();
  } else if (dialog->replaceAll()) {
    takeDialogState(*dialog);
    replaceAll();
  }
  return 0;
}

void SearchCommands::takeDialogState(const fw::CFindReplaceDialog& dialog) {
  state_.searchText = dialog.findString();
  if (!dialog.isFindOnly()) state_.replaceText = dialog.replaceString();
  state_.down = dialog.searchDown();
  state_.ignoreCase = !dialog.matchCase();
}

const search::Searcher* SearchCommands::searcher() {
  const std::optional<std::string> pattern = orka::utf8ToCodePage(state_.searchText, GetACP());
  if (!pattern || pattern->empty()) return nullptr;
  if (!searcher_ || searcher_->pattern() != *pattern || searcher_->ignoreCase() != state_.ignoreCase)
    searcher_ = std::make_unique<search::Searcher>(systemCodePage(), *pattern, state_.ignoreCase);
  return searcher_.get();
}

bool SearchCommands::findNext() {
  const search::Searcher* s = searcher();
  if (!s) return false;
  EditCtrl& edit = *main_.editCtrl();
  const EditCtrl::Selection sel = edit.selection();
  const std::optional<size_t> hit = withEditText(
      edit, [&](std::string_view text) { return s->findNext(text, sel.start, sel.end, state_.down); });
  if (!hit) return false;
  const int start = static_cast<int>(*hit);
  edit.setSelection(start, start + static_cast<int>(s->pattern().size()));
  edit.send(EM_SCROLLCARET);
  return true;
}

void SearchCommands::findNextOrReport() {
  if (findNext()) return;
  fw::messageBox(main_.hwnd(), "“" + state_.searchText + "”が見つかりません。", kConfirmCaption,
                 MB_OK | MB_ICONINFORMATION);
}

bool SearchCommands::selectionMatches() {
  const search::Searcher* s = searcher();
  if (!s) return false;
  EditCtrl& edit = *main_.editCtrl();
  const EditCtrl::Selection sel = edit.selection();
  return withEditText(edit, [&](std::string_view text) { return s->selectionMatches(text, sel.start, sel.end); });
}

void SearchCommands::replaceOne() {
  if (selectionMatches()) main_.editCtrl()->replaceSelection(toAnsiAsStored(state_.replaceText), true);
  findNextOrReport();
}

void SearchCommands::replaceAll() {
  EditCtrl& edit = *main_.editCtrl();
  if (const search::Searcher* s = searcher()) {
    std::string replaced;
    const std::string replacement = toAnsiAsStored(state_.replaceText);
    const size_t count =
        withEditText(edit, [&](std::string_view text) { return s->replaceAll(text, replacement, replaced); });
    if (count != 0) {
      // One replacement of the whole text: one Undo brings all of it back.
      edit.setSelection(0, -1);
      edit.replaceSelection(replaced, true);
    }
  }
  edit.setSelection(0, 0);
  edit.send(EM_SCROLLCARET);
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
