// The manual, shown by the system's HTML Help viewer program.
//
// The viewer hosts a browser control that only works in a single-threaded
// apartment, while the editor's interface thread is a multithreaded one; the
// in-process help call fails there.  The viewer program runs in a process,
// and an apartment, of its own.
#pragma once

#include <string_view>

namespace fw {

// Opens `helpFile` (UTF-8 path of a .chm) in the viewer from the Windows
// folder.  False when the file does not exist or the viewer did not start;
// the caller reports it.
bool showHtmlHelp(std::string_view helpFile);

}  // namespace fw
