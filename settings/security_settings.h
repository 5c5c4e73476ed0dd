// SecuritySettings: how the editor protects an open document — when it locks
// by itself, what it does with the clipboard, whether its windows stay out
// of screen captures and its documents out of the system's recent lists,
// in which format new documents are saved, and whether unsaved changes are
// kept in an enciphered copy for after a crash — and their file,
// "tolvane-security.dat" beside "tolvane.dat".
//
// They have a file of their own so that "tolvane.dat" stays exactly what
// older copies of the program read and write.  The main window loads the
// record once at start and the security dialog saves it when confirmed.
// load() and save() never throw and never show anything: a missing file, or
// one that is damaged anywhere (a wrong first line, a line without '=', a
// value that is not a number in range, more than kMaxFileBytes), gives the
// defaults of every field; a failed save leaves the old file as it was.
// A file from an older version lacks the later lines: those fields keep
// their defaults.
//
// File layout: ASCII text, one "name=value" line each, LF or CR LF:
//
//   TolvaneSecurity 1
//   idleMinutes=0          minutes without input before locking, 0 = never
//   lockOnMinimize=0       0 or 1
//   lockOnSessionLock=1    0 or 1
//   clearClipboard=1       0 or 1
//   strongNewDocuments=0   1: new documents in the strong format
//   hideFromCapture=1      0 or 1: windows excluded from screen capture
//   lockOnSuspend=1        0 or 1: lock before sleep and hibernation
//   keepOffRecent=1        0 or 1: documents stay off the recent lists
//   clipboardTimer=0       0 or 1: clear the editor's copy after a time
//   clipboardSeconds=30    10 to 600: that time
//   keepRecoveryCopy=1     0 or 1: keep an enciphered copy of unsaved changes
//
// Names this program does not know are skipped, so that a later program may
// add a field without sending this one back to its defaults.  One thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct SecuritySettings {
  static constexpr const char* kFileName = "tolvane-security.dat";
  static constexpr size_t kMaxFileBytes = 4096;
  static constexpr uint32_t kMaxIdleMinutes = 9999;
  static constexpr uint32_t kMinClipboardSeconds = 10;
  static constexpr uint32_t kMaxClipboardSeconds = 600;

  uint32_t idleMinutes = 0;
  bool lockOnMinimize = false;
  bool lockOnSessionLock = true;
  bool clearClipboard = true;
  bool strongNewDocuments = false;
  bool hideFromCapture = true;
  bool lockOnSuspend = true;
  bool keepOffRecent = true;
  bool clipboardTimer = false;
  uint32_t clipboardSeconds = 30;
  bool keepRecoveryCopy = true;

  bool operator==(const SecuritySettings& other) const;

  // The file beside `settingsPath` (the path of "tolvane.dat").
  static std::string pathBeside(const std::string& settingsPath);

  // From `path`; false (with every field at its default) when the file is
  // missing or damaged.
  bool load(const std::string& path);
  // To `path`, replacing it only once the new file is complete; false when
  // nothing was written.
  bool save(const std::string& path) const;
};
