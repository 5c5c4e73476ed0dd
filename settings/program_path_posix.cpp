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

std::string userDataFolder() {
  const char* config = getenv("XDG_CONFIG_HOME");
  if (config && *config == '/') return config;
  const char* home = getenv("HOME");
  if (!home || *home != '/') throw orka::FileError(orka::FileError::kBadFileName);
  return std::string(home) + "/.config";
}
