// SearchCommands: Find (Ctrl+F), Find next (F3), Replace (Ctrl+H) and Go to
// line (Ctrl+G), with the one modeless find or replace dialog they share.
//
// The dialog talks to the main window through the registered message
// "commdlg_FindReplace"; each button press carries the texts, the direction
// and the match-case box, which become the remembered search (FindState) that
// F3 repeats without the dialog.  Searching runs on the current edit control
// (after word wrap replaced it, on the new one) through the portable engine in
// editor/search, over the control's text as ANSI bytes.  A search text the
// code page cannot hold cannot be in the document: it is reported as not
// found, never searched for as the '?' it would turn into.
//
// Replace all replaces every match (from the top, downward, never searching
// inserted text again) in one pass, and puts the result into the control as
// one undoable change, so that one Undo brings back the text as it was
// before.  The caret ends at the top; nothing is reported.
//
// The object belongs to the main window and registers its commands and the
// dialog's message there on construction.  It does not own the dialog (the
// dialog frees itself when its window goes).  User-interface thread only.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "framework/common_dialogs.h"

class CMainWnd;
class EditCtrl;
namespace search {
class Searcher;
}

class SearchCommands {
 public:
  // Both fields of the dialog hold at most this many bytes.
  static constexpr int kFieldBytes = 127;

  explicit SearchCommands(CMainWnd& main);
  ~SearchCommands();

  // Closes an open dialog of the replace kind; a find dialog stays.  Read-
  // only mode calls this when it is switched on.
  void closeReplaceDialog();

 private:
  enum class Kind { Find, Replace };

  // The remembered search; it lasts as long as the program.
  struct FindState {
    fw::CFindReplaceDialog* dialog = nullptr;
    HWND dialogWindow = nullptr;  // tells whether `dialog` still exists
    Kind kind = Kind::Find;
    std::string searchText;   // UTF-8, as the dialog gave it
    std::string replaceText;  // UTF-8
    bool down = true;
    bool ignoreCase = true;
  };

  void openSearchDialog(Kind kind);
  std::string proposal();
  LRESULT onSearchNotify(WPARAM wParam, LPARAM lParam);
  void takeDialogState(const fw::CFindReplaceDialog& dialog);
  fw::CFindReplaceDialog* openDialog();

  bool findNext();
  void findNextOrReport();
  bool selectionMatches();
  void replaceOne();
  void replaceAll();
  void goToLine();

  // The engine for the remembered search, built again only when the text or
  // the case rule changed; nullptr when the search text cannot be written in
  // the code page (or is empty).
  const search::Searcher* searcher();

  CMainWnd& main_;
  FindState state_;
  std::unique_ptr<search::Searcher> searcher_;
};
