// SearchCommands: Find (Ctrl+F), Find next (F3), Replace (Ctrl+H) and Go to
// line (Ctrl+G), with the one modeless find or replace dialog they share.
//
// The dialog talks to the main window through the registered message
// "commdlg_FindReplace"; each button press carries the texts, the direction
// and the match-case box, which become the remembered search that F3 repeats
// without the dialog.  The searching itself is TextSearch's (text_search.h),
// always on the main window's current edit control, so after word wrap
// replaced the control the next search runs on the new one.
//
// The object registers its commands and the dialog's message with the host
// on construction.  It does not own the dialog (the
// dialog frees itself when its window goes).  User-interface thread only.
#pragma once

#include <string>

#include "editor/search/text_search.h"
#include "framework/common_dialogs.h"

class OpenDocument;
class WindowHost;
struct Settings;

class SearchCommands {
 public:
  // Both fields of the dialog hold at most this many bytes.
  static constexpr int kFieldBytes = 127;

  SearchCommands(WindowHost& host, const OpenDocument& document, const Settings& settings);

  // Closes an open dialog of the replace kind; a find dialog stays.  Read-
  // only mode calls this when it is switched on.
  void closeReplaceDialog();
  // Closes any open dialog and wipes the remembered search and replace
  // texts (locking calls this).
  void forget();

 private:
  enum class Kind { Find, Replace };

  // The open dialog, if any, and its kind.
  struct DialogState {
    fw::CFindReplaceDialog* dialog = nullptr;
    HWND window = nullptr;  // tells whether `dialog` still exists
    Kind kind = Kind::Find;
  };

  void openSearchDialog(Kind kind);
  std::string proposal();
  LRESULT onSearchNotify(WPARAM wParam, LPARAM lParam);
  void takeDialogState(const fw::CFindReplaceDialog& dialog);
  fw::CFindReplaceDialog* openDialog();

  // The not-found box after a search step that found nothing.
  void reportIfMissed(bool found);
  void goToLine();

  WindowHost& host_;
  const OpenDocument& document_;
  const Settings& settings_;
  DialogState open_;
  TextSearch search_;  // lasts as long as the program
};
