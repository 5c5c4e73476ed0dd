// DateTimeCommands: F5 puts the current date and time at the caret in the
// user's picture format, and the format dialog chooses that picture.
//
// The stamp replaces the selection as one undoable step; read-only mode
// greys it.  The format reaches the settings file when the window closes.
// Registers its commands with the host on construction; no state of its
// own.  User-interface thread only.
#pragma once

class OpenDocument;
class WindowHost;
struct Settings;

class DateTimeCommands {
 public:
  DateTimeCommands(WindowHost& host, OpenDocument& document, Settings& settings);

 private:
  void insertDateTime();
  void chooseFormat();

  WindowHost& host_;
  OpenDocument& document_;
  Settings& settings_;
};
