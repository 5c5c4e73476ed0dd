// Picking the document path out of a program's command line.
//
// CommandLineInfo walks the C runtime's argument vector the way the classic
// application frameworks do: a parameter that starts with "-" or "/" is a
// switch (passed on without its prefix), everything else is a plain
// parameter.  CommandLine1File keeps the first plain parameter as fileName
// and ignores the rest, switches included.
#pragma once

#include <string>
#include <vector>

namespace orka {

class CommandLineInfo {
 public:
  virtual ~CommandLineInfo() = default;

  // Feeds every parameter (program name excluded) to ParseParam.
  void parse(const std::vector<std::string>& parameters);

  // Called once per parameter; `last` is set for the final one.
  virtual void ParseParam(const char* parameter, bool isSwitch, bool last) = 0;
};

class CommandLine1File : public CommandLineInfo {
 public:
  void ParseParam(const char* parameter, bool isSwitch, bool last) override;

  const std::string& fileName() const { return fileName_; }

 private:
  std::string fileName_;
};

}  // namespace orka
