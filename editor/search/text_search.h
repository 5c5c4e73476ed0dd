// TextSearch: the remembered search and the search steps on an edit control.
//
// Holds what the last dialog action set (search text, replacement, direction,
// case rule) and runs Find next, Replace one and Replace all on whichever
// control it is given, through the portable engine (editor/search) over the
// control's text lock.  Texts come in as UTF-8 from the dialogs; a search
// text the ANSI code page cannot hold cannot be in the document and is never
// found (it would otherwise be searched for as the '?' it turns into).  The
// engine for the current text and case rule is kept between steps, so F3
// pressed again costs one scan of the text from the selection, nothing more.
//
// Replace all replaces every match from the top, downward, never searching
// inserted text again, builds the new text in one pass and puts it into the
// control as one undoable replacement: one Undo brings the text back as it
// was.  The caret ends at the top, scrolled into view; nothing changes when
// nothing matches.  The matches are counted first, so a new text over the
// control's byte limit is refused before it is built.
//
// User-interface thread only (it drives the control).
#pragma once

#include <memory>
#include <string>

class EditCtrl;
namespace search {
class CodePage;
class Searcher;
}  // namespace search

// The characters of the system's ANSI code page, as the engine steps by them.
const search::CodePage& systemCodePage();

class TextSearch {
 public:
  TextSearch();
  ~TextSearch();

  std::string searchText;   // UTF-8
  std::string replaceText;  // UTF-8
  bool down = true;
  bool ignoreCase = true;

  // One step from the selection in the remembered direction; selects the hit
  // and scrolls it into view.  False on a miss (the selection stays).
  bool findNext(EditCtrl& edit);
  // Whether the selection is exactly a match.
  bool selectionMatches(EditCtrl& edit);
  // Replaces the selection when it is a match (undoable), then searches on.
  // False when that search found nothing.
  bool replaceOne(EditCtrl& edit);
  // False, changing nothing (the caret stays), when the new text would be
  // longer than the control's byte limit.
  bool replaceAll(EditCtrl& edit);
  // Wipes and empties both texts.
  void forget();

 private:
  // nullptr when the search text is empty or not writable in the code page.
  const search::Searcher* searcher();

  std::unique_ptr<search::Searcher> searcher_;
};
