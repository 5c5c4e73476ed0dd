// Runs a program to its end with the given standard input, collecting its
// exit code, standard output and standard error.
#pragma once

#include <string>
#include <vector>

namespace vtxt_test {

struct ProgramResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// `scratch` is a folder for the files that carry the three streams.
ProgramResult runProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input, const std::string& scratch);

}  // namespace vtxt_test
