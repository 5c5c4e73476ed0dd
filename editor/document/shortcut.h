// resolveShortcut: the target of a shell shortcut (.lnk file).
//
// Only a file that is a shell link is handed to the shell: one whose content
// begins with the link header (its size, 0x4C, and the link class's CLSID).
// The content decides, not the name: a document someone named "x.lnk" is
// opened as the document it is, and a document can never begin that way, so
// an ordinary open never reaches the shell's link code at all.
//
// The shell's link object then loads the file, resolves the link without
// any window, without searching for a moved target and without the link
// tracking service (SLR_NO_UI | SLR_NOSEARCH | SLR_NOTRACK): opening a file
// must not wander the network or show the shell's dialogs.  Anything that is
// not a shortcut, or a link that cannot be resolved, gives nothing, and the
// caller keeps the path it had.  Paths are UTF-8.  Needs COM on the calling
// thread (the main window starts it); every object made here is released
// before returning.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// Whether the file at `path` begins as a shell link does.
bool isShellLink(const std::string& path);

std::optional<std::string> resolveShortcut(const std::string& path, HWND owner);
