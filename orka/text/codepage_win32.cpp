// Win32 back end of the code-page conversions.
#include <windows.h>

#include "orka/text/codepage.h"
#include "orka/text/wide.h"

namespace orka {
namespace {

// The system converters take int lengths.
bool fits(size_t n) { return n < 0x7fffffff; }

std::optional<std::wstring> toWide(std::string_view bytes, unsigned codePage) {
  if (bytes.empty()) return std::wstring();
  if (!fits(bytes.size())) return std::nullopt;
  const int n = static_cast<int>(bytes.size());
  int len = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), n, nullptr, 0);
  if (len <= 0) return std::nullopt;
  std::wstring out(static_cast<size_t>(len), L'\0');
  MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), n, &out[0], len);
  return out;
}

std::optional<std::string> fromWide(std::wstring_view wide, unsigned codePage) {
  if (wide.empty()) return std::string();
  if (!fits(wide.size())) return std::nullopt;
  const int n = static_cast<int>(wide.size());
  const bool utf8 = codePage == CP_UTF8;
  BOOL lossy = FALSE;
  // UTF-8 does not accept the default-character arguments.
  const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  int len =
      WideCharToMultiByte(codePage, flags, wide.data(), n, nullptr, 0, nullptr, utf8 ? nullptr : &lossy);
  if (len <= 0 || lossy) return std::nullopt;
  std::string out(static_cast<size_t>(len), '\0');
  WideCharToMultiByte(codePage, flags, wide.data(), n, &out[0], len, nullptr, utf8 ? nullptr : &lossy);
  if (lossy) return std::nullopt;
  return out;
}

std::wstring replacingToWide(std::string_view bytes, UINT codePage) {
  if (bytes.empty()) return std::wstring();
  const int n = static_cast<int>(bytes.size());
  int len = MultiByteToWideChar(codePage, 0, bytes.data(), n, nullptr, 0);
  std::wstring out(static_cast<size_t>(len > 0 ? len : 0), L'\0');
  if (len > 0) MultiByteToWideChar(codePage, 0, bytes.data(), n, &out[0], len);
  return out;
}

std::string replacingFromWide(std::wstring_view wide, UINT codePage) {
  if (wide.empty()) return std::string();
  const int n = static_cast<int>(wide.size());
  int len = WideCharToMultiByte(codePage, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(len > 0 ? len : 0), '\0');
  if (len > 0) WideCharToMultiByte(codePage, 0, wide.data(), n, &out[0], len, nullptr, nullptr);
  return out;
}

}  // namespace

unsigned ansiCodePage() { return GetACP(); }

namespace detail {

std::optional<std::string> encodeText(std::string_view utf8, unsigned codePage) {
  auto wide = toWide(utf8, CP_UTF8);
  if (!wide) return std::nullopt;
  if (codePage == CP_UTF8) return std::string(utf8);
  return fromWide(*wide, codePage);
}

std::optional<std::string> decodeText(std::string_view bytes, unsigned codePage) {
  auto wide = toWide(bytes, codePage);
  if (!wide) return std::nullopt;
  return fromWide(*wide, CP_UTF8);
}

}  // namespace detail

// Lenient conversions: what the system cannot convert is replaced.
std::wstring widen(std::string_view utf8) { return replacingToWide(utf8, CP_UTF8); }
std::string narrow(std::wstring_view wide) { return replacingFromWide(wide, CP_UTF8); }
std::string wideToAnsi(std::wstring_view wide) { return replacingFromWide(wide, CP_ACP); }
std::wstring ansiToWide(std::string_view ansi) { return replacingToWide(ansi, CP_ACP); }

size_t ansiByteCount(std::wstring_view wide) {
  if (wide.empty()) return 0;
  const int n = static_cast<int>(wide.size());
  int len = WideCharToMultiByte(CP_ACP, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
  return static_cast<size_t>(len > 0 ? len : 0);
}

}  // namespace orka
