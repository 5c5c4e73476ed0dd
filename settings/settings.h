// The editor's persistent preferences and their file, "tolvane.dat" beside
// the executable, or in the user's profile for an installed copy
// (program_file.h).
//
// The main window owns one Settings record: it is loaded once before the
// window exists and saved once when the window closes; in between the rest
// of the editor reads and changes the fields directly.  load() and save()
// never throw and never show anything: a file that is missing, short,
// malformed or out of range gives the defaults of every field, the list
// included; a save that fails leaves the previous file as it was.
//
// Strings are UTF-8 in the record (dateFormat, the list's paths) and bytes in
// the system ANSI code page inside the file (code page 932 where there is no
// system to ask).  The font's face name stays in ANSI bytes in the record too,
// because the block is kept exactly as stored.
//
// File layout (version 2, the only one written; integers little-endian):
//
//   int32 version = 2
//   int32 windowWidth, windowHeight, windowLeft, windowTop
//   uint32 flags    bit 0 showToolBar    bit 4 hidePasswordDialog
//                   bit 1 showStatusBar  bit 5 perFileReadOnly
//                   bit 2 wordWrap       bit 6 alwaysOnTop
//                   bit 3 readOnly       bit 7 rememberWindowPos
//   60 bytes font (LogFontA)
//   dateFormat: 0 to 100 bytes, then a zero byte
//   int32 capacity, int32 entry count
//   entries, oldest first: path (1 to 259 bytes, a zero byte), 1 byte flag
//
// Version 0 lacks the position, bits 5 to 7 and the list; version 1 lacks the
// position and bit 7.  Fields a version lacks keep their defaults.
//
// Records may be copied and assigned: each record's list stays bound to that
// record's own `readOnly` (see read_only_list.h).  One thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "settings/log_font.h"
#include "settings/program_file.h"
#include "settings/read_only_list.h"
#include "settings/screen_size.h"

struct Settings {
  // CW_USEDEFAULT: the system chooses the size or position.
  static constexpr int32_t kUseDefault = INT32_MIN;
  static constexpr const char* kFileName = "tolvane.dat";
  static constexpr const char* kDefaultDateFormat = "yyyy/MM/dd HH:mm";
  // The longest date format the file holds, in ANSI bytes.
  static constexpr size_t kMaxDateFormatBytes = 100;

  int32_t windowWidth = kUseDefault;
  int32_t windowHeight = kUseDefault;
  int32_t windowLeft = kUseDefault;
  int32_t windowTop = kUseDefault;
  bool showToolBar = true;
  bool showStatusBar = true;
  bool wordWrap = false;
  bool readOnly = false;  // the editor's current read-only mode
  bool hidePasswordDialog = false;
  bool alwaysOnTop = false;
  bool rememberWindowPos = false;
  bool perFileReadOnly = false;
  ReadOnlyList readOnlyList{&readOnly};
  LogFontA font = LogFontA::defaultFont();
  std::string dateFormat = kDefaultDateFormat;  // UTF-8, never empty

  Settings() = default;
  Settings(const Settings& other) : Settings() { *this = other; }
  Settings& operator=(const Settings& other) = default;

  // Every field to its default; the list emptied, its capacity 10.
  void setDefaults();
  // The same, with the default font sized for `screen`'s density.
  void setDefaults(const ScreenSize& screen);

  // From the program's "tolvane.dat" (settingsFilePath), checked against the
  // real screen.
  void load();
  // From `path`; true when the file was read and passed every check, false
  // when the record fell back to its defaults.
  bool load(const std::string& path, const ScreenSize& screen);

  // To the program's "tolvane.dat" (settingsFilePath).
  void save() const;
  // To `path`, replacing it only once the new file is complete; false when
  // nothing was written (the old file is then untouched).
  bool save(const std::string& path) const;
};
