#include "editor/datetime/date_time.h"

#include <utility>

#include "orka/text/wide.h"

namespace {

// The size of each pass's output buffer in ANSI bytes, terminator included.
constexpr int kPassBytes = 512;

LocalClock& clock() {
  static LocalClock current;
  return current;
}

SYSTEMTIME now() {
  if (clock()) return clock()();
  SYSTEMTIME t{};
  GetLocalTime(&t);
  return t;
}

bool fitsPassBuffer(const std::wstring& text) {
  return orka::ansiByteCount(text) < static_cast<size_t>(kPassBytes);
}

// One pass: `formatter` is GetTimeFormatEx-like (picture in, text out).
template <class Formatter>
std::wstring runPass(const std::wstring& picture, Formatter formatter) {
  if (picture.empty()) return picture;
  wchar_t out[kPassBytes];
  int n = formatter(picture.c_str(), out, kPassBytes);
  if (n <= 0) return picture;
  std::wstring result(out, static_cast<size_t>(n - 1));
  return fitsPassBuffer(result) ? result : picture;
}

}  // namespace

LocalClock setLocalClock(LocalClock next) { return std::exchange(clock(), std::move(next)); }

std::string formatDateTime(std::string_view format) { return formatDateTime(format, now()); }

std::string dateTimeStamp(std::string_view format) {
  return orka::wideToAnsi(orka::widen(formatDateTime(format)));
}

std::string formatDateTime(std::string_view format, const SYSTEMTIME& at) {
  std::wstring timed = runPass(orka::widen(format), [&](const wchar_t* picture, wchar_t* out, int size) {
    return GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &at, picture, out, size);
  });
  std::wstring dated = runPass(timed, [&](const wchar_t* picture, wchar_t* out, int size) {
    return GetDateFormatW(LOCALE_USER_DEFAULT, 0, &at, picture, out, size);
  });
  return orka::narrow(dated);
}
