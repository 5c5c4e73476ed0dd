#include <stdlib.h>
#include <unistd.h>

#include <string>

#include "orka/errors/error.h"
#include "settings/program_file.h"

std::string programPath() {
  std::string buffer(4096, '\0');
  ssize_t length = readlink("/proc/self/exe", &buffer[0], buffer.size());
  if (length <= 0 || static_cast<size_t>(length) >= buffer.size())
    throw orka::FileError(orka::FileError::kBadFileName);
  buffer.resize(static_cast<size_t>(length));
  return buffer;
}

namespace {

// The folder named by the XDG variable `variable`, or `fallback` below the
// home folder when it is unset or not absolute.
std::string xdgFolder(const char* variable, const char* fallback) {
  const char* named = getenv(variable);
  if (named && *named == '/') return named;
  const char* home = getenv("HOME");
  if (!home || *home != '/') throw orka::FileError(orka::FileError::kBadFileName);
  return std::string(home) + fallback;
}

}  // namespace

std::string userDataFolder() { return xdgFolder("XDG_CONFIG_HOME", "/.config"); }

std::string localDataFolder() { return xdgFolder("XDG_DATA_HOME", "/.local/share"); }

bool sameFileName(const std::string& a, const std::string& b) { return a == b; }
