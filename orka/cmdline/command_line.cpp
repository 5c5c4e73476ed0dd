#include "orka/cmdline/command_line.h"

namespace orka {

void CommandLineInfo::parse(const std::vector<std::string>& parameters) {
  for (size_t i = 0; i < parameters.size(); ++i) {
    const std::string& p = parameters[i];
    const bool isSwitch = !p.empty() && (p[0] == '-' || p[0] == '/');
    ParseParam(isSwitch ? p.c_str() + 1 : p.c_str(), isSwitch, i + 1 == parameters.size());
  }
}

void CommandLine1File::ParseParam(const char* parameter, bool isSwitch, bool) {
  if (isSwitch || !fileName_.empty()) return;
  fileName_ = parameter ? parameter : "";
}

}  // namespace orka
