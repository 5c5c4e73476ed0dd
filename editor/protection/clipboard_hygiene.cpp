#include "editor/protection/clipboard_hygiene.h"

#include <cstring>

namespace {

// Movable global memory holding `size` bytes from `bytes`; null without memory.
HGLOBAL globalCopy(const void* bytes, size_t size) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!memory) return nullptr;
  void* target = GlobalLock(memory);
  if (!target) {
    GlobalFree(memory);
    return nullptr;
  }
  std::memcpy(target, bytes, size);
  GlobalUnlock(memory);
  return memory;
}

// Hands `memory` to the open clipboard as `format`; frees it when refused.
bool put(UINT format, HGLOBAL memory) {
  if (!memory) return false;
  if (format && SetClipboardData(format, memory)) return true;
  GlobalFree(memory);
  return false;
}

bool putDword(const wchar_t* formatName, DWORD value) {
  return put(RegisterClipboardFormatW(formatName), globalCopy(&value, sizeof value));
}

}  // namespace

bool ClipboardHygiene::copy(HWND owner, std::wstring_view text) {
  // Zeroed, so the text ends in the NUL the format asks for.
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, (text.size() + 1) * sizeof(wchar_t));
  if (!memory) return false;
  if (void* target = GlobalLock(memory)) {
    std::memcpy(target, text.data(), text.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
  }
  if (!OpenClipboard(owner)) {
    GlobalFree(memory);
    return false;
  }
  copied_ = false;
  EmptyClipboard();
  const bool ok = put(CF_UNICODETEXT, memory);
  if (ok) {
    putDword(L"ExcludeClipboardContentFromMonitorProcessing", 0);
    putDword(L"CanIncludeInClipboardHistory", 0);
    putDword(L"CanUploadToCloudClipboard", 0);
  }
  CloseClipboard();
  if (!ok) return false;
  sequence_ = GetClipboardSequenceNumber();
  copied_ = true;
  if (clearAfter_) SetTimer(owner, kClearTimerId, clearAfter_, nullptr);
  return true;
}

bool ClipboardHygiene::holdsOwnCopy() const { return copied_ && GetClipboardSequenceNumber() == sequence_; }

void ClipboardHygiene::clearOwnCopy(HWND owner) {
  if (!holdsOwnCopy()) return;
  if (!OpenClipboard(owner)) return;
  EmptyClipboard();
  CloseClipboard();
  copied_ = false;
}

void ClipboardHygiene::setClearAfter(HWND owner, UINT milliseconds) {
  clearAfter_ = milliseconds;
  if (!milliseconds) KillTimer(owner, kClearTimerId);
}

void ClipboardHygiene::onClearTimer(HWND owner) {
  KillTimer(owner, kClearTimerId);
  clearOwnCopy(owner);
}
