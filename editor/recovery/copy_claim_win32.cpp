#include <windows.h>

#include <utility>

#include "editor/recovery/copy_claim.h"
#include "orka/text/wide.h"

namespace tolvane {

namespace {

std::wstring claimName(const std::string& copyName) {
  std::string stem = copyName;
  const std::string extension = ".tvr";
  if (stem.size() > extension.size() &&
      stem.compare(stem.size() - extension.size(), extension.size(), extension) == 0)
    stem.resize(stem.size() - extension.size());
  return L"Local\\Tolvane.Recovery." + orka::widen(stem);
}

}  // namespace

std::optional<CopyClaim> CopyClaim::take(const std::string& copyName) {
  // Not owned: the mutex is only a name that lives as long as a handle to
  // it, and a claim may move between threads, which an owned mutex resents.
  HANDLE handle = CreateMutexW(nullptr, FALSE, claimName(copyName).c_str());
  if (!handle) return std::nullopt;
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(handle);
    return std::nullopt;
  }
  return CopyClaim(handle, copyName);
}

bool CopyClaim::heldElsewhere(const std::string& copyName) {
  HANDLE handle = OpenMutexW(SYNCHRONIZE, FALSE, claimName(copyName).c_str());
  if (handle) {
    CloseHandle(handle);
    return true;
  }
  // A name that exists but may not be opened by us is held all the same.
  return GetLastError() == ERROR_ACCESS_DENIED;
}

CopyClaim::CopyClaim(CopyClaim&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), copyName_(std::move(other.copyName_)) {}

CopyClaim& CopyClaim::operator=(CopyClaim&& other) noexcept {
  if (this != &other) {
    release();
    handle_ = std::exchange(other.handle_, nullptr);
    copyName_ = std::move(other.copyName_);
  }
  return *this;
}

CopyClaim::~CopyClaim() { release(); }

void CopyClaim::release() {
  if (handle_) CloseHandle(static_cast<HANDLE>(handle_));
  handle_ = nullptr;
}

}  // namespace tolvane
