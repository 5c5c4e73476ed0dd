// Making the editor the program that opens .vtxt documents, and undoing it.
//
// The registry entries live where only an administrator may write, so the
// editor describes the association on one command line
// (assoc_command_line.h) and lets Tolvreg, which asks for elevation, write
// or remove it.  The editor waits for the helper without a time-out and
// trusts only its exit code: 0 success, anything else failure.
//
// After registering, Windows Vista and 7 also need the default-programs call
// that makes the editor the default for its registered types.  Since
// Windows 8 the system no longer does that for a program (the call fails),
// and a successful helper run is the whole registration there.
//
// Both operations throw orka::Error with a message ready to show and return
// nothing on success.  The system is reached through AssocSystem, so the
// decisions are tested without Windows.  User-interface thread only; COM
// must already be initialised on it.
#pragma once

#include <cstdint>
#include <string>

#include "assoc/assoc_command_line.h"

namespace assoc {

// The system version as the running program is allowed to see it (its
// manifest lists the versions it knows).
struct WindowsVersion {
  unsigned long major = 0;
  unsigned long minor = 0;
};

class AssocSystem {
 public:
  virtual ~AssocSystem() = default;
  // The editor's full long path.
  virtual std::string editorPath() = 0;
  // The short (8.3) form of `path`; empty when the volume has none.
  virtual std::string shortPath(const std::string& path) = 0;
  // Starts Tolvreg.exe from the editor's folder with `parameters`, waits for
  // it, tells the shell that associations changed and returns its exit code.
  // Throws orka::Error "関連付け補助ツールの起動に失敗しました。" when it cannot be
  // started (elevation refused included) and "関連付けの結果が不明です。" when its
  // exit code cannot be read.
  virtual uint32_t runAssocHelper(const std::string& parameters) = 0;
  virtual WindowsVersion windowsVersion() = 0;
  // Makes `applicationId` the default for every type it registered; false
  // when the default-programs object cannot be made or the call fails.
  virtual bool setAppAsDefaultAll(const std::string& applicationId) = 0;
};

// The command line for `action` with the editor's own paths.
std::string assocCommandLine(AssocAction action, AssocSystem& system);

// Throws "関連付けが失敗しました。".
void registerAssociation(AssocSystem& system);
// Throws "関連付けの解除が失敗しました。"; never calls the default-programs object.
void unregisterAssociation(AssocSystem& system);

// The running Windows system (Windows only).
AssocSystem& systemAssoc();

}  // namespace assoc
