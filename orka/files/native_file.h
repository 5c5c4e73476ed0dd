// The platform seam for one open file (Win32 handle or POSIX descriptor).
//
// Opening is exclusive: no other opener may share the file while it is open.
// Opening for writing creates the file or truncates an existing one (on
// Windows an existing file's hidden attribute is carried over, since the
// system refuses to create a plain file over a hidden one).  Opening a new
// file only creates one where no name exists yet, never through a link
// someone left at that name, readable and writable by its owner alone
// (mode 0600 on POSIX).  Operations
// report failure by their return value; the file streams turn it into
// orka::StreamError.  Creating, writing, flushing and closing each ask the
// fault seam of file_faults.h first, so tests can make them fail; that part
// is the same on every platform (native_file.cpp), and each platform's file
// only makes the system calls.  Not thread-safe.
#pragma once

#include <cstdint>
#include <string>

namespace orka {
namespace detail {

class NativeFile {
 public:
  enum class Mode { kRead, kWrite, kNewFile };
  // kExists: only for kNewFile, the name is taken (by a file, a folder or a
  // link).
  enum class OpenResult { kOk, kNotFound, kExists, kFailed };

  NativeFile() = default;
  NativeFile(const NativeFile&) = delete;
  NativeFile& operator=(const NativeFile&) = delete;
  ~NativeFile() { close(); }

  // Opens `path` (UTF-8); a file already open is closed first.
  OpenResult open(const std::string& path, Mode mode);
  bool isOpen() const { return handle_ != kInvalid; }
  // False when the system reports that written data was lost on closing.
  bool close();

  // `*done` receives the count moved; false when the system call failed.
  bool read(void* buffer, uint32_t count, uint32_t* done);
  bool write(const void* data, uint32_t count, uint32_t* done);
  // Flushes the file's data to the disk.
  bool flush();
  // Moves the file pointer like SetFilePointer with a 32-bit offset and no
  // high word; the new position goes to `*position`.
  bool seek(int32_t offset, int origin, uint32_t* position);

 private:
  // The system's calls alone, one implementation per platform.
  OpenResult systemOpen(const std::string& path, Mode mode);
  // Closes the open handle and forgets it.
  bool systemClose();
  bool systemWrite(const void* data, uint32_t count, uint32_t* done);
  bool systemFlush();

  static constexpr intptr_t kInvalid = -1;
  intptr_t handle_ = kInvalid;
};

}  // namespace detail
}  // namespace orka
