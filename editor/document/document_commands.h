// DocumentCommands: the one document's coming and going.  New, Open, Save,
// Save As and the per-file read-only settings (commands 40001-40004, 40030),
// the save-changes prompt that guards whatever would discard unsaved text,
// and opening a document from any source (the Open dialog, the command line,
// a dropped file).
//
// New lets go of the document as Lock does: the text is overwritten in the
// control and in the heaps' free memory, and the key is wiped.
//
// Opening.  A shell shortcut is replaced by its target first.  Then the
// password is asked for (InputPassDialog) until the document opens or the
// user cancels; with hidePasswordDialog set the default password is tried
// first without a word (when no default key can be made, the dialog comes
// at once).  A wrong password (or a damaged document, which
// cannot be told apart) gets "パスワードが間違っています。" and the dialog again;
// any other failure its own message, and the open ends.  Nothing changes
// until the text is read and converted: a failed or cancelled open leaves
// the current document exactly as it was.  A text larger than the edit
// control takes (EditCtrl::kMaxBytes) is refused before it is read whole.
// A text beginning with ".LOG" gets the date and time appended at its end as
// an undoable edit, unless read-only mode is on.
//
// Documents come in two formats (document/strong_document.h); a keyring is
// made once per password typed (for the strong format that is one slow key
// derivation) and kept with the document.  A strong document whose key
// costs fall below those of a new password is opened with its own and then
// given a keyring with the new costs and a fresh salt, so that its next save
// no longer keeps the weak ones.  Saving writes the text with that
// keyring, in the document's own format, so Save never asks for a password
// nor derives a key; a failure says "ファイルの保存に失敗しました。" with the
// path and keeps the text modified.  Save As proposes format() (its box
// checked for the strong format), makes a keyring for the new password in
// the format the user leaves chosen, and sets the new name, keyring and
// title before writing; they stay should the write fail.  The status bar's
// format pane shows format(): for an untitled document the format Save As
// will propose, which is what the user gets by just saving.
//
// The Open and Save As dialogs add the chosen file to the system's recent
// lists unless told otherwise (setKeepOffRecent).
//
// With perFileReadOnly set, opening and Save As restore the document's
// remembered read-only mode (the read-only list of the settings).
//
// Whether there are unsaved changes is the open document's answer
// (open_document.h): a locked document with changes is never let go here,
// since its text is sealed; the caller unlocks it first.
//
// Every box belongs to the host window; the focus goes back to the text
// after each command.  Registers its commands with the host on
// construction.  User-interface thread only.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "document/strong_document.h"

class OpenDocument;
class ReadOnlyMode;
class WindowHost;
struct Settings;

class DocumentCommands {
 public:
  DocumentCommands(WindowHost& host, OpenDocument& document, Settings& settings, ReadOnlyMode& readOnly);

  // True when the caller may go on: nothing to save, the user said No, or
  // the save succeeded.  False for a locked document with unsaved changes,
  // whose text only unlocking brings back.
  bool querySaveChanges();
  void openDocument(const std::string& path);
  // The same, running `witness` with the password that opened the document
  // before that password is wiped; true when the document opened.
  using PasswordWitness = std::function<void(std::string_view password)>;
  bool openDocument(const std::string& path, const PasswordWitness& witness);
  bool saveDocument();
  bool saveDocumentAs();

  // The format the document is saved in: its file's, or for an untitled
  // document the one new documents get.
  tolvane::DocumentFormat format() const;
  // Whether new documents are strong; unset (the default) they are classic.
  void setNewDocumentsStrong(std::function<bool()> strong) { newDocumentsStrong_ = std::move(strong); }
  // Whether the Open and Save As dialogs keep the chosen document off the
  // system's recent lists (OFN_DONTADDTORECENT); unset, they add it as
  // Windows does by default.
  void setKeepOffRecent(std::function<bool()> keepOff) { keepOffRecent_ = std::move(keepOff); }
  // What the key derivation of a new strong password costs; tests make it
  // cheap.  kModerateCost by default.
  void setNewKeyCost(tolvane::KeyDerivationCost cost) { newKeyCost_ = cost; }
  // Runs when the unsaved text is no longer wanted: it was saved, or the
  // user said No to saving it.
  void setTextGone(std::function<void()> gone) { textGone_ = std::move(gone); }

  // Where opening reads a document from; for tests.  An empty function
  // restores readDocument, limited to what the edit control takes.
  using Reader = std::function<std::unique_ptr<orka::MemWriteStream>(
      const std::string& path, const tolvane::DocumentKeyring& keyring)>;
  void setReader(Reader reader);

 private:
  void newDocument();
  void open();
  void save();
  // OFN_DONTADDTORECENT when documents stay off the recent lists, else 0.
  DWORD recentListFlag() const;
  void readOnlyList();

  // The text of `path` and the keyring that opened it, asking for passwords
  // as needed; null when the user cancelled or the error was shown.
  std::unique_ptr<orka::MemWriteStream> readWithPassword(const std::string& path,
                                                         std::optional<tolvane::DocumentKeyring>& keyring,
                                                         const PasswordWitness& witness);
  // Replaces the control's text; false (after saying so) when memory ran out.
  bool showText(std::unique_ptr<orka::MemWriteStream> text, const std::string& path);
  void stampLog();

  WindowHost& host_;
  OpenDocument& document_;
  Settings& settings_;
  ReadOnlyMode& readOnly_;
  Reader reader_;
  std::function<bool()> newDocumentsStrong_;
  std::function<bool()> keepOffRecent_;
  std::function<void()> textGone_;
  tolvane::KeyDerivationCost newKeyCost_ = tolvane::kModerateCost;
};
