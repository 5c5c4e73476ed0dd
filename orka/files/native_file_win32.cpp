// Win32 back end of NativeFile: CreateFileW with exclusive sharing,
// ReadFile/WriteFile, FlushFileBuffers, SetFilePointer.
#include <windows.h>

#include "orka/files/native_file.h"
#include "orka/files/wide_path.h"
#include "orka/text/wide.h"

namespace orka {
namespace detail {
namespace {

HANDLE asHandle(intptr_t h) { return reinterpret_cast<HANDLE>(h); }

}  // namespace

NativeFile::OpenResult NativeFile::systemOpen(const std::string& path, Mode mode) {
  std::wstring wide = widePath(path);
  DWORD attributes = FILE_ATTRIBUTE_NORMAL;
  if (mode == Mode::kWrite) {
    // The system refuses to create a plain file over a hidden one; carrying
    // the hidden bit over lets a hidden document be saved and stay hidden.
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(wide.c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      FindClose(search);
      // Windows refuses this itself, but wine running as root would let
      // the file be truncated: refuse it here so both behave alike.
      if (found.dwFileAttributes & FILE_ATTRIBUTE_READONLY) return OpenResult::kFailed;
      attributes |= found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN;
    }
  }
  // A new file: CREATE_NEW refuses any name that exists, and opening the
  // reparse point itself keeps a link planted at the name from leading the
  // creation somewhere else.  Share mode 0 keeps everyone else out.
  const DWORD disposition = mode == Mode::kRead ? OPEN_EXISTING : mode == Mode::kWrite ? CREATE_ALWAYS : CREATE_NEW;
  if (mode == Mode::kNewFile) attributes |= FILE_FLAG_OPEN_REPARSE_POINT;
  HANDLE h = CreateFileW(wide.c_str(), mode == Mode::kRead ? GENERIC_READ : GENERIC_WRITE, 0, nullptr, disposition,
                         attributes, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (mode == Mode::kNewFile &&
        (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ||
         GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES))
      return OpenResult::kExists;
    return error == ERROR_FILE_NOT_FOUND ? OpenResult::kNotFound : OpenResult::kFailed;
  }
  close();
  handle_ = reinterpret_cast<intptr_t>(h);
  return OpenResult::kOk;
}

bool NativeFile::systemClose() {
  bool ok = CloseHandle(asHandle(handle_)) != FALSE;
  handle_ = kInvalid;
  return ok;
}

bool NativeFile::read(void* buffer, uint32_t count, uint32_t* done) {
  DWORD got = 0;
  BOOL ok = ReadFile(asHandle(handle_), buffer, count, &got, nullptr);
  *done = got;
  return ok != FALSE;
}

bool NativeFile::systemWrite(const void* data, uint32_t count, uint32_t* done) {
  DWORD put = 0;
  BOOL ok = WriteFile(asHandle(handle_), data, count, &put, nullptr);
  *done = put;
  return ok != FALSE;
}

bool NativeFile::systemFlush() { return FlushFileBuffers(asHandle(handle_)) != FALSE; }

bool NativeFile::seek(int32_t offset, int origin, uint32_t* position) {
  DWORD method = origin == 0 ? FILE_BEGIN : origin == 1 ? FILE_CURRENT : FILE_END;
  DWORD result = SetFilePointer(asHandle(handle_), offset, nullptr, method);
  if (result == INVALID_SET_FILE_POINTER) return false;
  *position = result;
  return true;
}

}  // namespace detail
}  // namespace orka
