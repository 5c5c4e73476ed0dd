// resolveShortcut: the target of a shell shortcut (.lnk file).
//
// The shell's link object loads the file, resolves the link (asking the
// user through `owner` when the target has moved; SLR_ANY_MATCH) and gives
// the target's path.  Anything that is not a shortcut, or a link that cannot
// be resolved, gives nothing, and the caller keeps the path it had.  Paths
// are UTF-8.  Needs COM on the calling thread (the main window starts it);
// every object made here is released before returning.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

std::optional<std::string> resolveShortcut(const std::string& path, HWND owner);
