// A calendar time split into fields, laid out like the Windows SYSTEMTIME.
#pragma once

#include <cstdint>

namespace orka {

struct SystemTime {
  uint16_t year = 0;
  uint16_t month = 0;
  uint16_t dayOfWeek = 0;
  uint16_t day = 0;
  uint16_t hour = 0;
  uint16_t minute = 0;
  uint16_t second = 0;
  uint16_t milliseconds = 0;
};

}  // namespace orka
