#include "settings/program_file.h"

#include "orka/errors/error.h"
#include "orka/files/path_ops.h"

namespace {

bool isInstalledCopy(const std::string& programFolder) {
  const std::string marker = orka::detail::combinePath(programFolder, kInstalledMarker);
  return orka::detail::pathExists(marker) && !orka::detail::isDirectory(marker);
}

}  // namespace

orka::File fileBesideProgram(const std::string& name) {
  orka::File program(programPath());
  return orka::File(orka::detail::combinePath(program.parentDir().path(), name));
}

std::string settingsFilePath(const std::string& name) {
  const std::string programFolder = orka::File(programPath()).parentDir().path();
  std::string userData;
  try {
    if (isInstalledCopy(programFolder)) userData = userDataFolder();
  } catch (const orka::Error&) {
    // No profile to keep settings in: the old place, where a save fails
    // quietly, is better than an editor that cannot start.
    return orka::detail::combinePath(programFolder, name);
  }
  return settingsFilePath(name, programFolder, userData);
}

std::string settingsFilePath(const std::string& name, const std::string& programFolder,
                             const std::string& userData) {
  if (!isInstalledCopy(programFolder)) return orka::detail::combinePath(programFolder, name);
  const std::string folder = orka::detail::combinePath(userData, "Tolvane");
  try {
    orka::Dir(folder, true);
  } catch (const orka::Error&) {
    // Saving there then fails as quietly as any other settings save.
  }
  return orka::detail::combinePath(folder, name);
}
