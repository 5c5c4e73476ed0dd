#include "orka/files/file.h"

#include <vector>

#include "orka/errors/error.h"
#include "orka/files/path_ops.h"
#include "orka/streams/file_stream.h"

namespace orka {
namespace {

std::string absolutePath(const std::string& path) {
  std::string absolute;
  if (!detail::fullPath(path, &absolute)) throw FileError(FileError::kBadFileName, path);
  return absolute;
}

}  // namespace

Dir FileBase::parentDir() const {
  if (detail::isRoot(path_)) throw FileError(FileError::kNoParent);
  return Dir(detail::removeFileSpec(path_), false);
}

File::File(const std::string& path) {
  path_ = absolutePath(path);
  File::verify();
  detail::FileInfo info;
  if (detail::findFile(path_, &info)) {
    size_ = info.sizeLow;
    lastWriteTime_ = info.lastWrite;
  }
}

void File::create() { parentDir().create(); }

void File::remove() {
  if (!detail::pathExists(path_)) return;
  if (!detail::deleteFile(path_)) throw FileError(FileError::kDeleteFailed, path_);
}

// Only an existing path can be a directory, so no separate existence check.
void File::verify() {
  if (detail::isDirectory(path_)) throw FileError(FileError::kNotFile, path_);
}

std::unique_ptr<FileReadStream> File::openRead() const { return std::make_unique<FileReadStream>(path_); }
std::unique_ptr<FileWriteStream> File::openWrite() const { return std::make_unique<FileWriteStream>(path_); }

Dir::Dir(const std::string& path, bool create) {
  path_ = absolutePath(path);
  Dir::verify();
  if (create) this->create();
}

void Dir::create() {
  if (detail::pathExists(path_)) return;
  if (detail::isRoot(path_)) throw FileError(FileError::kCreateDirFailed, path_);
  parentDir().create();
  if (!detail::createDirectory(path_)) throw FileError(FileError::kCreateDirFailed, path_);
}

void Dir::remove() {
  if (!detail::pathExists(path_)) return;
  std::vector<detail::DirEntry> entries;
  detail::listDirectory(path_, &entries);
  for (const detail::DirEntry& entry : entries) {
    if (entry.name == "." || entry.name == "..") continue;
    std::string child = detail::combinePath(path_, entry.name);
    if (entry.directory && !entry.link) {
      Dir(child, false).remove();
    } else if (entry.directory) {
      // A junction goes the way of an empty folder, its target untouched.
      if (!detail::removeDirectory(child)) throw FileError(FileError::kRemoveDirFailed, child);
    } else if (!detail::deleteFile(child)) {
      throw FileError(FileError::kDeleteFailed, child);
    }
  }
  if (!detail::removeDirectory(path_)) throw FileError(FileError::kRemoveDirFailed, path_);
}

void Dir::verify() {
  if (detail::pathExists(path_) && !detail::isDirectory(path_))
    throw FileError(FileError::kNotDirectory, path_);
}

}  // namespace orka
