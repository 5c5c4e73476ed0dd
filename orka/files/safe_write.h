// Replacing a file so that a failure never costs the old contents.
//
// writeFileSafely writes the new contents to a temporary file in the target's
// folder, flushes and closes it, and only then replaces the target in one
// step (keeping an existing target's attributes and, on Windows, its
// security and alternate streams; its permission bits elsewhere).  When
// `path` is a symbolic link, the file it leads to is replaced and the link
// stays.  When anything fails the target is untouched, the temporary file is
// removed, and the error is thrown as if the target itself had been written:
// a target that cannot be opened for writing (read-only, in use, denied,
// missing folder) gives StreamError 0, a failed write, flush, close or
// replacement StreamError 6, both naming `path`.  One failure is different:
// a replacement that the system gave up half-way, after the target was
// already gone.  The temporary file then holds the only copy and is kept;
// orka::Error "ファイルの置き換えに失敗しました。保存した内容は次のファイルに残っています。\n\n"
// names it.
//
// The temporary file is named after the target and the writing process
// (".~NAME.PID-N.tmp") and made new, readable by its owner alone: a name
// that is taken (by a file, a folder or a link someone planted) is never
// opened but passed over for the next counter; after 100 taken names
// orka::Error "一時ファイルを作成できません。同じ名前のファイルが既にあります。\n\n"
// names the last one.  A save that was cut short (the process killed, the
// power lost) leaves its temporary file behind; the next successful save of
// the same target removes those of processes that no longer run, and never
// one that a running process may still be writing, nor anything at such a
// name that is not a plain file.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "orka/streams/file_stream.h"

namespace orka {

// `write` receives the open temporary file stream and takes it over (it
// typically builds a filter chain on it), writes everything, flushes with
// the deep flag and returns the chain's outermost stream (or the file stream
// itself): the file is closed, and its closing checked, before the chain is
// destroyed.
using SafeWriter = std::function<std::unique_ptr<DataWriteStream>(std::unique_ptr<FileWriteStream>)>;

void writeFileSafely(const std::string& path, const SafeWriter& write);

}  // namespace orka
