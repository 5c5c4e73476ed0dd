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
