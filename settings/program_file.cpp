#include "settings/program_file.h"

#include "orka/files/path_ops.h"

orka::File fileBesideProgram(const std::string& name) {
  orka::File program(programPath());
  return orka::File(orka::detail::combinePath(program.parentDir().path(), name));
}
