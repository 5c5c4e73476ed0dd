// The helper program's whole run: read the command line, pick the registry
// layout for the running system, write or remove the association, and turn
// the outcome into the exit code the editor waits for.
#pragma once

#include <string>
#include <string_view>

#include "tolvreg/registry.h"

namespace tolvreg {

// What the run needs from the system it runs on.
class HelperHost {
 public:
  virtual ~HelperHost() = default;
  virtual Registry& registry() = 0;
  // The major version the system reports (6 for Windows Vista).
  virtual unsigned long majorVersion() = 0;
  // Tells someone who started the helper by hand not to; returns when the
  // warning has been dismissed.
  virtual void warnNotToRunDirectly() = 0;
  // The folder the helper's own program runs from; empty when the system
  // cannot tell.
  virtual std::wstring programFolder() = 0;
  // `path` made absolute with every short (8.3) component spelled long
  // (GetFullPathNameW, GetLongPathNameW); only made absolute when the file
  // does not exist, empty when not even that works.
  virtual std::wstring longPath(const std::wstring& path) = 0;
};

enum ExitCode : int {
  kExitSuccess = 0,
  kExitInvalidCommandLine = 1,  // the warning was shown, nothing was touched
  kExitRegistryFailure = 2,     // earlier steps stay done, later ones were not tried
};

// `commandLine` is the text after the program name.  A line that does not
// parse, or that describes another association than the editor's, is
// refused with the warning.  A registering line must moreover carry the
// fixed texts and name the editor beside the helper: the open command
// exactly  "<folder>\Tolvane.exe" "%1"  (quotes included) and the icon
//  <same program>,1  where <folder> is the helper's own; the paths compare
// absolute, long and without regard to ASCII case.
ExitCode runHelper(std::wstring_view commandLine, HelperHost& host);

}  // namespace tolvreg
