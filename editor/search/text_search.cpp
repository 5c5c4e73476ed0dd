#include "editor/search/text_search.h"

#include <windows.h>

#include <optional>
#include <string_view>

#include "orka/crypto/wipe.h"
#include "editor/editing/edit_ctrl.h"
#include "editor/search/searcher.h"
#include "orka/text/codepage.h"
#include "orka/text/wide.h"

namespace {

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
std::string toAnsiAsStored(const std::string& utf8) { return orka::wideToAnsi(orka::widen(utf8)); }

}  // namespace

const search::CodePage& systemCodePage() {
  static const search::CodePage cp = [] {
    CPINFO info{};
    if (!GetCPInfo(CP_ACP, &info)) return search::CodePage();
    return search::CodePage::fromLeadRanges(info.LeadByte, GetACP() == 932);
  }();
  return cp;
}

TextSearch::TextSearch() = default;
TextSearch::~TextSearch() = default;

void TextSearch::forget() {
  for (std::string* text : {&searchText, &replaceText}) {
    orka::secureWipe(*text);
  }
  searcher_.reset();
}

const search::Searcher* TextSearch::searcher() {
  const std::optional<std::string> pattern = orka::utf8ToCodePage(searchText, GetACP());
  if (!pattern || pattern->empty()) return nullptr;
  if (!searcher_ || searcher_->pattern() != *pattern || searcher_->ignoreCase() != ignoreCase)
    searcher_ = std::make_unique<search::Searcher>(systemCodePage(), *pattern, ignoreCase);
  return searcher_.get();
}

bool TextSearch::findNext(EditCtrl& edit) {
  const search::Searcher* s = searcher();
  if (!s) return false;
  const EditCtrl::Selection sel = edit.selection();
  const std::optional<size_t> hit =
      withEditText(edit, [&](std::string_view text) { return s->findNext(text, sel.start, sel.end, down); });
  if (!hit) return false;
  const int start = static_cast<int>(*hit);
  edit.setSelection(start, start + static_cast<int>(s->pattern().size()));
  edit.send(EM_SCROLLCARET);
  return true;
}

bool TextSearch::selectionMatches(EditCtrl& edit) {
  const search::Searcher* s = searcher();
  if (!s) return false;
  const EditCtrl::Selection sel = edit.selection();
  return withEditText(edit,
                      [&](std::string_view text) { return s->selectionMatches(text, sel.start, sel.end); });
}

bool TextSearch::replaceOne(EditCtrl& edit) {
  if (selectionMatches(edit)) edit.replaceSelection(toAnsiAsStored(replaceText), true);
  return findNext(edit);
}

bool TextSearch::replaceAll(EditCtrl& edit) {
  if (const search::Searcher* s = searcher()) {
    std::string replaced;
    const std::string replacement = toAnsiAsStored(replaceText);
    std::optional<size_t> count = withEditText(edit, [&](std::string_view text) -> std::optional<size_t> {
      const unsigned long long matches = s->countAll(text);
      if (matches == 0) return 0;
      const unsigned long long size =
          text.size() - matches * s->pattern().size() + matches * replacement.size();
      if (size > static_cast<unsigned long long>(edit.byteLimit())) return std::nullopt;
      return s->replaceAll(text, replacement, replaced);
    });
    if (!count) return false;
    if (*count != 0) {
      // One replacement of the whole text: one Undo brings all of it back.
      edit.setSelection(0, -1);
      edit.replaceSelection(replaced, true);
    }
  }
  edit.setSelection(0, 0);
  edit.send(EM_SCROLLCARET);
  return true;
}
