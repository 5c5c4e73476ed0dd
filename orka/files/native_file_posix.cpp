// POSIX back end of NativeFile: exclusive access through a non-blocking
// flock, truncation at open for writing, fsync for flushing.
#include "orka/files/native_file.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <limits>

namespace orka {
namespace detail {

namespace {

// Windows refuses to write a file with the read-only attribute whoever asks;
// here root may write anything, so the write bits stand in for the attribute.
bool lacksWriteBits(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && !(st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH));
}

// Windows tells a missing file (in an existing folder) from a missing
// folder; ENOENT covers both, so look at the folder.
bool parentExists(const std::string& path) {
  size_t slash = path.find_last_of('/');
  std::string parent = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  struct stat st;
  return stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

NativeFile::OpenResult NativeFile::systemOpen(const std::string& path, Mode mode) {
  close();
  const bool forWriting = mode != Mode::kRead;
  if (mode == Mode::kWrite && lacksWriteBits(path)) return OpenResult::kFailed;
  int fd = mode == Mode::kRead    ? ::open(path.c_str(), O_RDONLY | O_CLOEXEC)
           : mode == Mode::kWrite ? ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_CREAT, 0666)
                                  : ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_CREAT | O_EXCL | O_NOFOLLOW, 0600);
  if (fd < 0) {
    if (mode == Mode::kNewFile && errno == EEXIST) return OpenResult::kExists;
    return errno == ENOENT && !forWriting && parentExists(path) ? OpenResult::kNotFound : OpenResult::kFailed;
  }
  struct stat st;
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode) || flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return OpenResult::kFailed;
  }
  // Truncate only once the lock is ours, so that a file in use is left alone.
  if (forWriting && ftruncate(fd, 0) != 0) {
    ::close(fd);
    return OpenResult::kFailed;
  }
  handle_ = fd;
  return OpenResult::kOk;
}

bool NativeFile::systemClose() {
  bool ok = ::close(static_cast<int>(handle_)) == 0;
  handle_ = kInvalid;
  return ok;
}

bool NativeFile::read(void* buffer, uint32_t count, uint32_t* done) {
  uint32_t total = 0;
  while (total < count) {
    ssize_t n = ::read(static_cast<int>(handle_), static_cast<char*>(buffer) + total, count - total);
    if (n < 0) {
      if (errno == EINTR) continue;
      *done = total;
      return false;
    }
    if (n == 0) break;
    total += static_cast<uint32_t>(n);
  }
  *done = total;
  return true;
}

bool NativeFile::systemWrite(const void* data, uint32_t count, uint32_t* done) {
  uint32_t total = 0;
  while (total < count) {
    ssize_t n = ::write(static_cast<int>(handle_), static_cast<const char*>(data) + total, count - total);
    if (n < 0) {
      if (errno == EINTR) continue;
      *done = total;
      return false;
    }
    total += static_cast<uint32_t>(n);
  }
  *done = total;
  return true;
}

bool NativeFile::systemFlush() { return fsync(static_cast<int>(handle_)) == 0; }

bool NativeFile::seek(int32_t offset, int origin, uint32_t* position) {
  int whence = origin == 0 ? SEEK_SET : origin == 1 ? SEEK_CUR : SEEK_END;
  off_t result = lseek(static_cast<int>(handle_), offset, whence);
  if (result < 0 || result > static_cast<off_t>(std::numeric_limits<uint32_t>::max())) return false;
  *position = static_cast<uint32_t>(result);
  return true;
}

}  // namespace detail
}  // namespace orka
