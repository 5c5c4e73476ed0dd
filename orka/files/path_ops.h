// The platform seam for paths and the file system.
//
// All paths are UTF-8.  Each operation says by its return value whether it
// worked; callers decide which orka::Error to throw.  "Hidden" has a meaning
// only on Windows; elsewhere it is always false and setting it does nothing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "orka/files/system_time.h"

namespace orka {
namespace detail {

// Makes `path` absolute (GetFullPathName); false when that is impossible.
bool fullPath(const std::string& path, std::string* absolute);
bool pathExists(const std::string& path);
bool isDirectory(const std::string& path);
// True for the root of a drive or file system ("C:\", "\\server\share", "/").
bool isRoot(const std::string& path);
// The path without its last component (PathRemoveFileSpec).
std::string removeFileSpec(const std::string& path);
// `dir` and `name` joined with the platform's separator.
std::string combinePath(const std::string& dir, const std::string& name);

struct FileInfo {
  uint32_t sizeLow = 0;  // low 32 bits of the size
  SystemTime lastWrite;  // UTC
  bool directory = false;
  bool hidden = false;
  bool readOnly = false;
};
bool findFile(const std::string& path, FileInfo* info);

struct DirEntry {
  std::string name;
  bool directory;
  // A symbolic link or junction: it is removed itself, never followed, so
  // that removing a tree cannot reach into the folder it points to.
  bool link;
  // A plain file: no folder, link, device, pipe or socket.
  bool regular;
};
// The entries of a directory, "." and ".." included where the system lists them.
bool listDirectory(const std::string& dir, std::vector<DirEntry>* entries);

bool deleteFile(const std::string& path);
bool createDirectory(const std::string& path);
bool removeDirectory(const std::string& path);
bool setHidden(const std::string& path, bool hidden);
// Gives `target` what a file that replaces `model` must keep of it: the
// hidden attribute on Windows, the permission bits elsewhere.
bool copyKeptAttributes(const std::string& model, const std::string& target);
// Whether `path`, an existing file, could be opened for writing right now
// (not read-only, not denied, not held open by someone else).
bool canOpenForWriting(const std::string& path);
// Replaces `target` by `source` in one step, flushed through to the disk.
// An existing target keeps what the system keeps in a replacement (on
// Windows its security, attributes and alternate streams).
enum class ReplaceResult {
  kReplaced,
  kUnchanged,   // failed; both files are as they were
  kTargetLost,  // failed half-way: `target` is gone, `source` is the only copy
};
ReplaceResult replaceFile(const std::string& source, const std::string& target);
// The file that writing `path` is meant to change: when its last component
// is a symbolic link, the link's final target; otherwise `path` itself.
std::string finalTarget(const std::string& path);
// An identifier of this process, for names of temporary files.
uint32_t processId();
// Whether a process with that identifier is running now.  A process that
// cannot be asked counts as running.
bool processRunning(uint32_t id);

}  // namespace detail
}  // namespace orka
