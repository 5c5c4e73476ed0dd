// Win32 back end of the code-page conversions.
#include <windows.h>

#include "orka/crypto/wipe.h"
#include "orka/errors/error.h"
#include "orka/text/codepage.h"
#include "orka/text/wide.h"

namespace orka {
namespace {

// The system converters take int lengths.
bool fits(size_t n) { return n < 0x7fffffff; }

// The lenient conversions have no way to say "nothing": an empty result
// would pass for an empty text (and be saved as one), so a text too long
// for the system's converters is an error.
[[noreturn]] void tooLong() { throw Error("テキストが長すぎるため、変換できません。"); }

// The length of the result the system announced for some input: without
// strict flags nothing but a result past int fails.
size_t converted(int len) {
  if (len <= 0) tooLong();
  return static_cast<size_t>(len);
}

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
  if (lossy) {
    secureWipe(out);
    return std::nullopt;
  }
  return out;
}

std::wstring replacingToWide(std::string_view bytes, UINT codePage) {
  if (bytes.empty()) return std::wstring();
  if (!fits(bytes.size())) tooLong();
  const int n = static_cast<int>(bytes.size());
  const int len = MultiByteToWideChar(codePage, 0, bytes.data(), n, nullptr, 0);
  std::wstring out(converted(len), L'\0');
  if (len > 0) MultiByteToWideChar(codePage, 0, bytes.data(), n, &out[0], len);
  return out;
}

// How many bytes replacingFromWide gives.
size_t replacingByteCount(std::wstring_view wide, UINT codePage) {
  if (wide.empty()) return 0;
  if (!fits(wide.size())) tooLong();
  const int len = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                      nullptr, nullptr);
  return converted(len);
}

std::string replacingFromWide(std::wstring_view wide, UINT codePage) {
  std::string out(replacingByteCount(wide, codePage), '\0');
  if (!out.empty())
    WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), &out[0],
                        static_cast<int>(out.size()), nullptr, nullptr);
  return out;
}

}  // namespace

unsigned ansiCodePage() { return GetACP(); }

namespace detail {

// Both pass through UTF-16 and may carry a password: the wide copy is wiped.
std::optional<std::string> encodeText(std::string_view utf8, unsigned codePage) {
  std::optional<std::wstring> wide = toWide(utf8, CP_UTF8);
  if (!wide) return std::nullopt;
  std::optional<std::string> bytes = codePage == CP_UTF8 ? std::string(utf8) : fromWide(*wide, codePage);
  secureWipe(*wide);
  return bytes;
}

std::optional<std::string> decodeText(std::string_view bytes, unsigned codePage) {
  std::optional<std::wstring> wide = toWide(bytes, codePage);
  if (!wide) return std::nullopt;
  std::optional<std::string> utf8 = fromWide(*wide, CP_UTF8);
  secureWipe(*wide);
  return utf8;
}

}  // namespace detail

// Lenient conversions: what the system cannot convert is replaced.
std::wstring widen(std::string_view utf8) { return replacingToWide(utf8, CP_UTF8); }
std::string narrow(std::wstring_view wide) { return replacingFromWide(wide, CP_UTF8); }
std::string wideToAnsi(std::wstring_view wide) { return replacingFromWide(wide, CP_ACP); }
std::wstring ansiToWide(std::string_view ansi) { return replacingToWide(ansi, CP_ACP); }
std::wstring asAnsiStored(std::wstring_view wide) {
  std::string ansi = wideToAnsi(wide);
  std::wstring stored = ansiToWide(ansi);
  secureWipe(ansi);
  return stored;
}

size_t ansiByteCount(std::wstring_view wide) { return replacingByteCount(wide, CP_ACP); }

}  // namespace orka
