// The vtxt commands: cat, write, rekey, check and info on one .vtxt document.
//
//   vtxt cat FILE       the text to standard output
//   vtxt write FILE     standard input becomes the text (saved safely)
//   vtxt rekey FILE     a new password for the document
//   vtxt check FILE     exit 0 when the password opens the document
//   vtxt info FILE      the document's format (and the strong format's
//                       key derivation costs), without a password
//
// Documents are classic or strong (document/strong_document.h).  write and
// rekey keep a document's format unless --format names one; a new document
// is classic unless --format says strong.  write raises a strong document's
// key derivation costs to at least the new-key costs (keyringForSaving), so
// that a document made cheap stays cheap no longer than its next write.
// Text on the standard streams is UTF-8; the document holds it in a code
// page (--codepage, by default the system's ANSI code page, 932 outside
// Windows), and passwords are converted to that code page before they are
// hashed, as the editor hashes what is typed into it.  --raw passes the
// text's bytes unchanged.  An empty password is the machine's default
// password; --serial gives another machine's serial number instead.
//
// run() never throws; it reports on the console and returns the exit code.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "document/strong_document.h"
#include "tools/vtxt/console.h"

namespace vtxt {

enum ExitCode {
  kSuccess = 0,
  kUsage = 1,
  kWrongPassword = 2,  // also a damaged document or no key for the default password
  kFileError = 3,
  kNotRepresentable = 4,
  kTextTooLong = 5,  // longer than a document holds (tolvane::kMaxTextBytes); nothing written
};

// Runs the command line `args` (without the program name).  New strong
// keys are derived at `newKeyCost` (tests make it cheap).
int run(const std::vector<std::string>& args, Console& console,
        tolvane::KeyDerivationCost newKeyCost = tolvane::kModerateCost);

// What a command line asks for, before anything is opened.
struct Options {
  std::string command;
  std::string file;
  std::optional<std::string> passwordFile;
  std::optional<std::string> newPasswordFile;
  std::optional<std::string> serial;
  std::optional<std::string> codePageName;
  std::optional<tolvane::DocumentFormat> format;
  bool raw = false;
  bool help = false;
};

// Parses `args` alone; nothing and the usage message when they are not a
// command line that run() would carry out.
std::optional<Options> parseArguments(const std::vector<std::string>& args, std::string* usageMessage);

}  // namespace vtxt
