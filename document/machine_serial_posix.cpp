// Outside Windows the machine id stands in for the installation's serial
// number: it is made once when the system is installed and never changes.
#include <fstream>

#include "document/machine_serial.h"

namespace tolvane {
namespace {

std::optional<std::string> firstLineOf(const char* path) {
  std::ifstream in(path, std::ios::binary);
  std::string line;
  if (!in || !std::getline(in, line)) return std::nullopt;
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
  if (line.empty()) return std::nullopt;
  return line;
}

}  // namespace

std::optional<std::string> platformMachineSerial() {
  for (const char* path : {"/etc/machine-id", "/var/lib/dbus/machine-id"}) {
    if (auto id = firstLineOf(path)) return id;
  }
  return std::nullopt;
}

}  // namespace tolvane
