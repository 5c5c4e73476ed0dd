#include "editor/protection/clipboard_hygiene.h"

namespace {

bool putDword(const wchar_t* formatName, DWORD value) {
  const UINT format = RegisterClipboardFormatW(formatName);
  if (!format) return false;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof value);
  if (!memory) return false;
  if (void* bytes = GlobalLock(memory)) {
    *static_cast<DWORD*>(bytes) = value;
    GlobalUnlock(memory);
  }
  if (SetClipboardData(format, memory)) return true;
  GlobalFree(memory);
  return false;
}

}  // namespace

void ClipboardHygiene::markCopy(HWND owner) {
  copied_ = false;
  if (!OpenClipboard(owner)) return;
  putDword(L"ExcludeClipboardContentFromMonitorProcessing", 0);
  putDword(L"CanIncludeInClipboardHistory", 0);
  putDword(L"CanUploadToCloudClipboard", 0);
  CloseClipboard();
  sequence_ = GetClipboardSequenceNumber();
  copied_ = true;
}

bool ClipboardHygiene::holdsOwnCopy() const { return copied_ && GetClipboardSequenceNumber() == sequence_; }

void ClipboardHygiene::clearOwnCopy(HWND owner) {
  if (!holdsOwnCopy()) return;
  if (!OpenClipboard(owner)) return;
  EmptyClipboard();
  CloseClipboard();
  copied_ = false;
}
