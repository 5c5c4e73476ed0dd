// EditCommands: the commands of the Edit and Format menus that work on the
// text as a whole or on the selection: Undo, Cut, Copy, Delete, Paste,
// Select all, Read-only, Word wrap and Font, with the rules that grey them.
//
// Read-only mode greys every command that would change the text, so that no
// route (menu, tool bar, accelerator) reaches the control with one; Copy and
// Select all stay.  Word wrap cannot be switched on a live control, so the
// command builds a new one and moves the text, the modified flag, the font
// and the mode across before the old control goes; the caret starts at the
// top and the undo step is gone.  A font the system cannot create leaves the
// text in its old font, silently.
//
// Copy and Cut go to the control, which hands the text to the copier the
// window gave it (clipboard_hygiene.h).
// A new font is applied by `applyFont`, which the window owns.
//
// The object registers its commands with the host on construction; it keeps
// no state of its own.  User-interface thread only.
#pragma once

#include <functional>

class OpenDocument;
class ReadOnlyMode;
class WindowHost;
struct Settings;

class EditCommands {
 public:
  EditCommands(WindowHost& host, OpenDocument& document, Settings& settings, ReadOnlyMode& readOnly,
               std::function<void()> applyFont);

 private:
  void undo();
  void selectAll();
  void toggleWordWrap();
  void chooseFont();

  WindowHost& host_;
  OpenDocument& document_;
  Settings& settings_;
  ReadOnlyMode& readOnly_;
  std::function<void()> applyFont_;
};
