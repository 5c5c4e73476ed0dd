// The lenient conversions at the border of the Win32 "W" functions.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "orka/errors/error.h"
#include "orka/text/wide.h"

// A text past the system converters' int lengths fails loudly: an empty
// result would pass for an empty text, and saving would write one.  The
// views are never read: the length alone must stop the conversion.
TEST(WideText, TooLongForTheSystemConvertersThrowsInsteadOfComingOutEmpty) {
  static const char bytes[1] = {'a'};
  static const wchar_t units[1] = {L'a'};
  const size_t pastInt = size_t{1} << 31;
  const std::string_view longBytes(bytes, pastInt);
  const std::wstring_view longUnits(units, pastInt);
  const std::function<void()> conversions[] = {
      [&] { orka::widen(longBytes); },     [&] { orka::narrow(longUnits); },
      [&] { orka::ansiToWide(longBytes); }, [&] { orka::wideToAnsi(longUnits); },
      [&] { orka::ansiByteCount(longUnits); },
  };
  for (const auto& convert : conversions) EXPECT_THROW(convert(), orka::Error);
  EXPECT_EQ(orka::wideToAnsi(L"\u65e5a"), "\x93\xfa" "a");
}
