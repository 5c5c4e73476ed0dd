// Files kept beside the running executable ("tolvane.dat", "Tolvreg.exe").
#pragma once

#include <string>

#include "orka/files/file.h"

// The file called `name` in the folder of the running executable.  Throws
// orka::FileError when the folder cannot be determined.
orka::File fileBesideProgram(const std::string& name);

// The full path of the running executable, UTF-8 (platform seam:
// GetModuleFileNameW on Windows, /proc/self/exe elsewhere).  Throws
// orka::FileError 6 when the system cannot tell.
std::string programPath();
