// POSIX back end of the path seam.  There is no hidden attribute here.
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

#include "orka/files/path_ops.h"

namespace orka {
namespace detail {

bool fullPath(const std::string& path, std::string* absolute) {
  if (path.empty()) return false;
  std::string joined = path;
  if (path[0] != '/') {
    char cwd[PATH_MAX];
    if (!getcwd(cwd, sizeof cwd)) return false;
    joined = std::string(cwd) + "/" + path;
  }
  // Fold "." and ".." and repeated separators, as GetFullPathName does,
  // without touching the file system.
  std::vector<std::string> parts;
  size_t i = 0;
  while (i <= joined.size()) {
    size_t j = joined.find('/', i);
    if (j == std::string::npos) j = joined.size();
    std::string part = joined.substr(i, j - i);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    i = j + 1;
  }
  std::string out;
  for (const std::string& part : parts) out += "/" + part;
  *absolute = out.empty() ? "/" : out;
  return true;
}

bool pathExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

bool isDirectory(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isRoot(const std::string& path) { return path == "/"; }

std::string removeFileSpec(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return path;
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string combinePath(const std::string& dir, const std::string& name) {
  if (!dir.empty() && dir.back() == '/') return dir + name;
  return dir + "/" + name;
}

bool findFile(const std::string& path, FileInfo* info) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return false;
  info->sizeLow = static_cast<uint32_t>(st.st_size);
  info->directory = S_ISDIR(st.st_mode);
  info->hidden = false;
  info->readOnly = S_ISREG(st.st_mode) && !(st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH));
  struct tm tm;
  time_t t = st.st_mtime;
  gmtime_r(&t, &tm);
  info->lastWrite.year = static_cast<uint16_t>(tm.tm_year + 1900);
  info->lastWrite.month = static_cast<uint16_t>(tm.tm_mon + 1);
  info->lastWrite.dayOfWeek = static_cast<uint16_t>(tm.tm_wday);
  info->lastWrite.day = static_cast<uint16_t>(tm.tm_mday);
  info->lastWrite.hour = static_cast<uint16_t>(tm.tm_hour);
  info->lastWrite.minute = static_cast<uint16_t>(tm.tm_min);
  info->lastWrite.second = static_cast<uint16_t>(tm.tm_sec);
  info->lastWrite.milliseconds = static_cast<uint16_t>(st.st_mtim.tv_nsec / 1000000);
  return true;
}

bool listDirectory(const std::string& dir, std::vector<DirEntry>* entries) {
  DIR* d = opendir(dir.c_str());
  if (!d) return false;
  while (struct dirent* e = readdir(d)) {
    std::string name = e->d_name;
    struct stat st;
    bool known = lstat(combinePath(dir, name).c_str(), &st) == 0;
    entries->push_back(
        {name, known && S_ISDIR(st.st_mode), known && S_ISLNK(st.st_mode), known && S_ISREG(st.st_mode)});
  }
  closedir(d);
  return true;
}

// A read-only file refuses deletion, as on Windows, where the attribute
// protects the file itself rather than its folder.
bool deleteFile(const std::string& path) {
  FileInfo info;
  if (findFile(path, &info) && info.readOnly) return false;
  return unlink(path.c_str()) == 0;
}

bool createDirectory(const std::string& path) { return mkdir(path.c_str(), 0777) == 0; }
bool removeDirectory(const std::string& path) { return rmdir(path.c_str()) == 0; }
bool setHidden(const std::string&, bool) { return true; }

bool copyKeptAttributes(const std::string& model, const std::string& target) {
  struct stat st;
  return stat(model.c_str(), &st) == 0 && chmod(target.c_str(), st.st_mode & 07777) == 0;
}

bool canOpenForWriting(const std::string& path) {
  FileInfo info;
  if (findFile(path, &info) && info.readOnly) return false;
  int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool free = flock(fd, LOCK_EX | LOCK_NB) == 0;
  close(fd);
  return free;
}

ReplaceResult replaceFile(const std::string& source, const std::string& target) {
  // A rename either happens whole or not at all.
  if (rename(source.c_str(), target.c_str()) != 0) return ReplaceResult::kUnchanged;
  // Make the rename itself durable.
  std::string dir = removeFileSpec(target);
  if (target.find('/') == std::string::npos) dir = ".";
  int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    fsync(fd);
    close(fd);
  }
  return ReplaceResult::kReplaced;
}

std::string finalTarget(const std::string& path) {
  std::string current = path;
  // The system's own limit on links followed in one lookup.
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st;
    if (lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    std::vector<char> buffer(static_cast<size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
    ssize_t n = readlink(current.c_str(), buffer.data(), buffer.size());
    if (n < 0 || static_cast<size_t>(n) >= buffer.size()) return current;
    std::string link(buffer.data(), static_cast<size_t>(n));
    if (link.empty()) return current;
    if (link[0] == '/') {
      current = link;
    } else {
      size_t slash = current.find_last_of('/');
      current = slash == std::string::npos ? link : current.substr(0, slash + 1) + link;
    }
  }
  return current;
}

uint32_t processId() { return static_cast<uint32_t>(getpid()); }

bool processRunning(uint32_t id) {
  if (id == 0 || id > static_cast<uint32_t>(INT32_MAX)) return false;
  return kill(static_cast<pid_t>(id), 0) == 0 || errno == EPERM;
}

}  // namespace detail
}  // namespace orka
