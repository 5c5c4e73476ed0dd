// Files kept beside the running executable ("Tolvreg.exe") and the place of
// the editor's settings files ("tolvane.dat").
//
// A copy unpacked from the zip is portable: its settings live beside the
// program and travel with it.  A copy the installer put under Program Files
// cannot write there as an ordinary user, so it keeps each user's settings
// in the user's own application-data folder, in "Tolvane" below it.  The
// installer tells the two apart by a marker file it leaves beside the
// programs (and its uninstaller removes).  Every settings file takes the
// same way, so that files kept together stay together.
#pragma once

#include <string>

#include "orka/files/file.h"

// The marker the installer writes beside the programs it installs.
constexpr const char* kInstalledMarker = "installed.ini";

// The file called `name` in the folder of the running executable.  Throws
// orka::FileError when the folder cannot be determined.
orka::File fileBesideProgram(const std::string& name);

// The full path of the running executable, UTF-8 (platform seam:
// GetModuleFileNameW on Windows, /proc/self/exe elsewhere).  Throws
// orka::FileError 6 when the system cannot tell.
std::string programPath();

// The user's folder for application data, UTF-8 (platform seam: the roaming
// application-data folder, %APPDATA%, on Windows; $XDG_CONFIG_HOME or
// ~/.config elsewhere).  Throws orka::FileError 6 when there is none.
std::string userDataFolder();

// The user's folder for data that stays on this machine, UTF-8 (platform
// seam: the local application-data folder, %LOCALAPPDATA%, on Windows;
// $XDG_DATA_HOME or ~/.local/share elsewhere).  Throws orka::FileError 6
// when there is none.
std::string localDataFolder();

// Whether two absolute paths name the same file or folder by the file
// system's rule for names (platform seam: ignoring case on Windows, exactly
// elsewhere).  Nothing is looked up on the disk.
bool sameFileName(const std::string& a, const std::string& b);

// The path of the settings file `name` for the running program (see above);
// the folder in the user's profile is created when it is missing.  Where
// the system names no such folder the file stays beside the program; where
// the folder cannot be created a save fails quietly, like any failed
// settings save.  Throws orka::FileError 6
// only when the program's own folder cannot be determined.
std::string settingsFilePath(const std::string& name);

// The same decision for a program in `programFolder` and a user whose
// application-data folder is `userData`.
std::string settingsFilePath(const std::string& name, const std::string& programFolder,
                             const std::string& userData);

// The folder of the recovery copies for the settings file at `settingsPath`.
// An installed copy's settings roam with the user's profile, but unsaved text
// must never travel with it: when the settings file lies in the roaming
// "Tolvane" folder the copies go to "Tolvane\recovery" in the local folder.
// Everywhere else (a portable copy's settings beside the program, a test's
// own settings file) they go to "recovery" beside the settings file.
// Nothing is created.  Throws orka::FileError 6 when the settings file lies
// in the roaming folder and the system names no local one: the roaming
// folder is no place for the copies.
std::string recoveryFolderPath(const std::string& settingsPath);

// The same decision for a user whose roaming application-data folder is
// `roamingData` and local one `localData` (either empty when the system
// names none).
std::string recoveryFolderPath(const std::string& settingsPath, const std::string& roamingData,
                               const std::string& localData);
