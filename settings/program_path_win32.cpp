#include <windows.h>

#include <shlobj.h>

#include <string>

#include "orka/errors/error.h"
#include "orka/text/wide.h"
#include "settings/program_file.h"

std::string programPath() {
  // Long paths need more than MAX_PATH; grow until the name fits.
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, &buffer[0], static_cast<DWORD>(buffer.size()));
    if (length == 0) throw orka::FileError(orka::FileError::kBadFileName);
    if (length < buffer.size()) {
      buffer.resize(length);
      return orka::narrow(buffer);
    }
    if (buffer.size() >= 32768) throw orka::FileError(orka::FileError::kBadFileName);
    buffer.resize(buffer.size() * 2);
  }
}

namespace {

std::string knownFolder(REFKNOWNFOLDERID id) {
  PWSTR folder = nullptr;
  const HRESULT found = SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &folder);
  std::string path = SUCCEEDED(found) && folder ? orka::narrow(folder) : std::string();
  CoTaskMemFree(folder);
  if (path.empty()) throw orka::FileError(orka::FileError::kBadFileName);
  return path;
}

}  // namespace

std::string userDataFolder() { return knownFolder(FOLDERID_RoamingAppData); }

std::string localDataFolder() { return knownFolder(FOLDERID_LocalAppData); }

bool sameFileName(const std::string& a, const std::string& b) {
  // NTFS compares names by their upper-case forms, without the locale's
  // rules; CompareStringOrdinal ignoring case does the same.
  const std::wstring wideA = orka::widen(a);
  const std::wstring wideB = orka::widen(b);
  return CompareStringOrdinal(wideA.c_str(), static_cast<int>(wideA.size()), wideB.c_str(),
                              static_cast<int>(wideB.size()), TRUE) == CSTR_EQUAL;
}
