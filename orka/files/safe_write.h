// Replacing a file so that a failure never costs the old contents.
//
// writeFileSafely writes the new contents to a temporary file in the target's
// folder, flushes it to the disk, and only then replaces the target in one
// step (keeping an existing target's hidden attribute on Windows, its
// permission bits elsewhere).  When anything fails
// the target is untouched, the temporary file is removed, and the error is
// thrown as if the target itself had been written: a target that cannot be
// opened for writing (read-only, in use, denied, missing folder) gives
// StreamError 0, a failed write or flush StreamError 6, both naming `path`.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "orka/streams/file_stream.h"

namespace orka {

// `write` receives the open temporary file stream; it takes ownership (it
// typically builds a filter chain on it), writes everything, flushes with
// the deep flag and destroys the chain before returning.
void writeFileSafely(const std::string& path,
                     const std::function<void(std::unique_ptr<FileWriteStream>)>& write);

}  // namespace orka
