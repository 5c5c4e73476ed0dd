// The process's standard streams and terminal, as the vtxt commands see
// them.  The commands talk only to a Console, so tests can run them in
// process with a scripted one; systemConsole() is the real thing.
//
// Text crosses this interface as UTF-8.  On Windows a real console is
// written with WriteConsoleW (so Japanese shows whatever the console's code
// page) and redirected streams are binary, so bytes pass unchanged.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vtxt {

class Console {
 public:
  virtual ~Console() = default;
  // All of standard input; false when it cannot be read.
  virtual bool readInput(std::string* bytes) = 0;
  // Writes to standard output: UTF-8 text when `isText`, otherwise bytes
  // that must reach a file or pipe unchanged.  False when writing failed.
  virtual bool writeOutput(std::string_view bytes, bool isText) = 0;
  // Writes UTF-8 text to standard error.
  virtual void writeError(std::string_view text) = 0;
  // Asks for a password on the terminal without echoing it; nothing when
  // there is no terminal to ask on.  The answer is UTF-8.
  virtual std::optional<std::string> askPassword(std::string_view prompt) = 0;
};

std::unique_ptr<Console> systemConsole();

// The program's parameters (without the program name) as UTF-8; on Windows
// taken from the wide command line, since argv is in the ANSI code page.
std::vector<std::string> programArguments(int argc, char** argv);

// What the platform needs before the machine serial number can be read
// (COM and its security on Windows, after restricting where libraries are
// loaded from), undone when it goes out of scope.
class SystemSession {
 public:
  SystemSession();
  ~SystemSession();
  SystemSession(const SystemSession&) = delete;
  SystemSession& operator=(const SystemSession&) = delete;

 private:
  bool started_ = false;
};

}  // namespace vtxt
