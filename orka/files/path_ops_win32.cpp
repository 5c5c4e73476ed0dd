// Win32 back end of the path seam: the W forms of the file and shell path
// functions, paths converted from UTF-8 at this border.
#include <windows.h>
#include <shlwapi.h>

#include "orka/files/path_ops.h"
#include "orka/files/wide_path.h"
#include "orka/text/wide.h"

namespace orka {
namespace detail {

std::wstring widePath(const std::string& path) {
  std::wstring wide = widen(path);
  if (wide.size() < MAX_PATH || wide.compare(0, 4, L"\\\\?\\") == 0) return wide;
  for (wchar_t& c : wide)
    if (c == L'/') c = L'\\';
  if (wide.size() > 2 && wide[1] == L':' && wide[2] == L'\\') return L"\\\\?\\" + wide;
  if (wide.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + wide.substr(2);
  return wide;
}

bool fullPath(const std::string& path, std::string* absolute) {
  const std::wstring full = fullPathName(widen(path));
  if (full.empty()) return false;
  *absolute = narrow(full);
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
  HANDLE search = FindFirstFileW(widePath(path).c_str(), &found);
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
  HANDLE search = FindFirstFileW(widePath(combinePath(dir, "*.*")).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  do {
    const DWORD attributes = found.dwFileAttributes;
    entries->push_back({narrow(found.cFileName), (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                        (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0,
                        !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT |
                                        FILE_ATTRIBUTE_DEVICE))});
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return true;
}

bool deleteFile(const std::string& path) { return DeleteFileW(widePath(path).c_str()) != FALSE; }
bool createDirectory(const std::string& path) {
  return CreateDirectoryW(widePath(path).c_str(), nullptr) != FALSE;
}
bool removeDirectory(const std::string& path) { return RemoveDirectoryW(widePath(path).c_str()) != FALSE; }

bool setHidden(const std::string& path, bool hidden) {
  std::wstring wide = widePath(path);
  DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  attributes = hidden ? attributes | FILE_ATTRIBUTE_HIDDEN : attributes & ~DWORD{FILE_ATTRIBUTE_HIDDEN};
  return SetFileAttributesW(wide.c_str(), attributes) != FALSE;
}

bool copyKeptAttributes(const std::string& model, const std::string& target) {
  DWORD attributes = GetFileAttributesW(widePath(model).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  return !(attributes & FILE_ATTRIBUTE_HIDDEN) || setHidden(target, true);
}

bool canOpenForWriting(const std::string& path) {
  HANDLE h = CreateFileW(widePath(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

ReplaceResult replaceFile(const std::string& source, const std::string& target) {
  const std::wstring from = widePath(source), to = widePath(target);
  // ReplaceFile keeps what belongs to the document rather than to its
  // contents: security descriptor, attributes, alternate data streams.
  // Where it cannot be used (no old file, a file system without support)
  // the plain move still replaces the contents in one step.
  const bool existed = GetFileAttributesW(to.c_str()) != INVALID_FILE_ATTRIBUTES;
  bool targetGone = false;
  if (existed) {
    if (ReplaceFileW(to.c_str(), from.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
      return ReplaceResult::kReplaced;
    switch (GetLastError()) {
      case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
        // Without a backup name the old file has been deleted; the new one
        // is still under the temporary name.
      case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2:
        // The old file has been moved to a name of the system's choosing;
        // the new one is still under the temporary name.
        targetGone = true;
        break;
      default:
        // ERROR_UNABLE_TO_REMOVE_REPLACED and every other error leave both
        // files under their own names.
        break;
    }
  }
  if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return ReplaceResult::kReplaced;
  // Trust what the disk shows over what the error said: while the target's
  // name is empty the temporary file must not be removed.
  if (existed && GetFileAttributesW(to.c_str()) == INVALID_FILE_ATTRIBUTES) targetGone = true;
  return targetGone && GetFileAttributesW(from.c_str()) != INVALID_FILE_ATTRIBUTES ? ReplaceResult::kTargetLost
                                                                                   : ReplaceResult::kUnchanged;
}

std::string finalTarget(const std::string& path) {
  const std::wstring wide = widePath(path);
  DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return path;
  HANDLE h = CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return path;
  std::wstring final(32768, L'\0');
  DWORD n = GetFinalPathNameByHandleW(h, &final[0], static_cast<DWORD>(final.size()), VOLUME_NAME_DOS);
  CloseHandle(h);
  if (n == 0 || n >= final.size()) return path;
  final.resize(n);
  if (final.compare(0, 8, L"\\\\?\\UNC\\") == 0) return narrow(L"\\\\" + final.substr(8));
  if (final.compare(0, 4, L"\\\\?\\") == 0) return narrow(final.substr(4));
  return narrow(final);
}

uint32_t processId() { return GetCurrentProcessId(); }

bool processRunning(uint32_t id) {
  HANDLE h = OpenProcess(SYNCHRONIZE, FALSE, id);
  if (!h) return GetLastError() == ERROR_ACCESS_DENIED;
  bool running = WaitForSingleObject(h, 0) == WAIT_TIMEOUT;
  CloseHandle(h);
  return running;
}

}  // namespace detail
}  // namespace orka
