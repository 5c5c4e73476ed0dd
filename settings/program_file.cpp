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

std::string recoveryFolderPath(const std::string& settingsPath) {
  std::string roamingData;
  std::string localData;
  // A folder the system cannot name is simply not the one the settings
  // file is in; only the installed place needs the local folder.
  try {
    roamingData = userDataFolder();
  } catch (const orka::Error&) {
  }
  try {
    localData = localDataFolder();
  } catch (const orka::Error&) {
  }
  return recoveryFolderPath(settingsPath, roamingData, localData);
}

std::string recoveryFolderPath(const std::string& settingsPath, const std::string& roamingData,
                               const std::string& localData) {
  const char* kFolderName = "recovery";
  std::string settingsFile;
  if (!orka::detail::fullPath(settingsPath, &settingsFile))
    throw orka::FileError(orka::FileError::kBadFileName, settingsPath);
  const std::string settingsFolder = orka::detail::removeFileSpec(settingsFile);

  std::string installedFolder;
  const bool installed =
      !roamingData.empty() &&
      orka::detail::fullPath(orka::detail::combinePath(roamingData, "Tolvane"), &installedFolder) &&
      sameFileName(settingsFolder, installedFolder);
  if (!installed) return orka::detail::combinePath(settingsFolder, kFolderName);
  if (localData.empty()) throw orka::FileError(orka::FileError::kBadFileName, settingsPath);
  return orka::detail::combinePath(orka::detail::combinePath(localData, "Tolvane"), kFolderName);
}
