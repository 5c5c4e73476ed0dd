#include "document/machine_serial.h"

#include <utility>

namespace tolvane {
namespace {

struct SerialCache {
  MachineSerialSource source;
  std::string value;  // only ever a non-empty answer
};

SerialCache& cache() {
  static SerialCache instance;
  return instance;
}

}  // namespace

const char* machineSerialNumber() {
  SerialCache& c = cache();
  if (!c.value.empty()) return c.value.c_str();
  std::optional<std::string> answer;
  try {
    answer = c.source ? c.source() : platformMachineSerial();
  } catch (...) {
    // A missing serial is reported by the caller, never by an exception here.
    return nullptr;
  }
  if (!answer || answer->empty()) return nullptr;
  c.value = std::move(*answer);
  return c.value.c_str();
}

void setMachineSerialSource(MachineSerialSource source) {
  cache().source = std::move(source);
  cache().value.clear();
}

}  // namespace tolvane
