// Win32 back end of the path seam: the W forms of the file and shell path
// functions, paths converted from UTF-8 at this border.
#include <windows.h>
#include <shlwapi.h>

#include "orka/files/path_ops.h"
#include "orka/text/wide.h"

namespace orka {
namespace detail {

bool fullPath(const std::string& path, std::string* absolute) {
  wchar_t buffer[MAX_PATH];
  DWORD n = GetFullPathNameW(widen(path).c_str(), MAX_PATH, buffer, nullptr);
  if (n == 0 || n >= MAX_PATH) return false;
  *absolute = narrow(std::wstring_view(buffer, n));
  return true;
}

bool pathExists(const std::string& path) { return PathFileExistsW(widen(path).c_str()) != FALSE; }
bool isDirectory(const std::string& path) { return PathIsDirectoryW(widen(path).c_str()) != FALSE; }
bool isRoot(const std::string& path) { return PathIsRootW(widen(path).c_str()) != FALSE; }

std::string removeFileSpec(const std::string& path) {
  wchar_t buffer[MAX_PATH];
  lstrcpynW(buffer, widen(path).c_str(), MAX_PATH);
  PathRemoveFileSpecW(buffer);
  return narrow(buffer);
}

std::string combinePath(const std::string& dir, const std::string& name) {
  wchar_t buffer[MAX_PATH];
  if (!PathCombineW(buffer, widen(dir).c_str(), widen(name).c_str())) return dir + "\\" + name;
  return narrow(buffer);
}

bool findFile(const std::string& path, FileInfo* info) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(widen(path).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  info->sizeLow = found.nFileSizeLow;
  info->directory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  info->hidden = (found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
  info->readOnly = (found.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
  SYSTEMTIME st;
  if (FileTimeToSystemTime(&found.ftLastWriteTime, &st)) {
    info->lastWrite = SystemTime{st.wYear, st.wMonth,  st.wDayOfWeek, st.wDay,
                                 st.wHour, st.wMinute, st.wSecond,    st.wMilliseconds};
  }
  return true;
}

bool listDirectory(const std::string& dir, std::vector<DirEntry>* entries) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(widen(combinePath(dir, "*.*")).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  do {
    entries->push_back({narrow(found.cFileName), (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                        (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0});
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return true;
}

bool deleteFile(const std::string& path) { return DeleteFileW(widen(path).c_str()) != FALSE; }
bool createDirectory(const std::string& path) {
  return CreateDirectoryW(widen(path).c_str(), nullptr) != FALSE;
}
bool removeDirectory(const std::string& path) { return RemoveDirectoryW(widen(path).c_str()) != FALSE; }

bool setHidden(const std::string& path, bool hidden) {
  std::wstring wide = widen(path);
  DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  attributes = hidden ? attributes | FILE_ATTRIBUTE_HIDDEN : attributes & ~DWORD{FILE_ATTRIBUTE_HIDDEN};
  return SetFileAttributesW(wide.c_str(), attributes) != FALSE;
}

bool copyKeptAttributes(const std::string& model, const std::string& target) {
  DWORD attributes = GetFileAttributesW(widen(model).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  return !(attributes & FILE_ATTRIBUTE_HIDDEN) || setHidden(target, true);
}

bool canOpenForWriting(const std::string& path) {
  HANDLE h = CreateFileW(widen(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

bool replaceFile(const std::string& source, const std::string& target) {
  return MoveFileExW(widen(source).c_str(), widen(target).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

uint32_t processId() { return GetCurrentProcessId(); }

}  // namespace detail
}  // namespace orka
