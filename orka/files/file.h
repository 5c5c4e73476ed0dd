// Files and directories named by path.
//
// File and Dir objects are values made on the stack.  Construction makes the
// path absolute; a File takes a snapshot of the size and last-write time,
// which it never refreshes.  Failures are thrown as orka::FileError (or the
// StreamError of opening a stream).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "orka/files/system_time.h"

namespace orka {

class Dir;
class FileReadStream;
class FileWriteStream;

class FileBase {
 public:
  const std::string& path() const { return path_; }

  virtual void create() = 0;
  virtual void remove() = 0;
  virtual void verify() = 0;

  // The directory above; FileError 5 for a root.
  Dir parentDir() const;

 protected:
  FileBase() = default;
  ~FileBase() = default;  // values, never deleted through the base
  FileBase(const FileBase&) = default;
  FileBase& operator=(const FileBase&) = default;

  std::string path_;  // absolute
};

class File : public FileBase {
 public:
  // FileError 6 when the path cannot be made absolute, 7 when it names an
  // existing directory.  A missing file gives size 0 and a zeroed time.
  explicit File(const std::string& path);

  // Makes sure the parent directory exists, creating the whole chain.
  void create() override;
  // Deletes the file if it exists; FileError 3 when that fails.
  void remove() override;
  // FileError 7 when the path is now an existing directory.
  void verify() override;

  std::unique_ptr<FileReadStream> openRead() const;
  std::unique_ptr<FileWriteStream> openWrite() const;

  uint32_t size() const { return size_; }
  const SystemTime& lastWriteTime() const { return lastWriteTime_; }

 private:
  uint32_t size_ = 0;
  SystemTime lastWriteTime_;
};

class Dir : public FileBase {
 public:
  // FileError 6 when the path cannot be made absolute, 0 when it names an
  // existing non-directory.  With `create` set the whole chain is created.
  Dir(const std::string& path, bool create);

  // Creates the chain of missing directories; FileError 1 when a step fails
  // or the chain reaches a root that does not exist.
  void create() override;
  // Removes the directory with everything inside, depth first; FileError 2
  // or 3 name what could not be removed.
  void remove() override;
  // FileError 0 when the path exists and is not a directory.
  void verify() override;
};

}  // namespace orka
