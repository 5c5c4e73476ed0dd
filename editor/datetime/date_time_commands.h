// DateTimeCommands: F5 puts the current date and time at the caret in the
// user's picture format, and the format dialog chooses that picture.
//
// The stamp replaces the selection as one undoable step; read-only mode
// greys it.  The format reaches the settings file when the window closes.
// Registers its commands with the main window on construction; no state of
// its own.  User-interface thread only.
#pragma once

class CMainWnd;

class DateTimeCommands {
 public:
  explicit DateTimeCommands(CMainWnd& main);

 private:
  void insertDateTime();
  void chooseFormat();

  CMainWnd& main_;
};
