// formatDateTime: the current local date and time written out by a picture
// string such as "yyyy/MM/dd HH:mm".
//
// The whole picture goes through the system's time formatter first and its
// complete result through the date formatter, both with the user's locale
// and for one and the same instant.  That order is part of the behaviour
// users rely on: quotes protect text from the time pass only (the date pass
// then reads the unquoted letters as pictures), and whatever the time pass
// writes (an AM/PM marker) is read again by the date pass.
//
// Text is UTF-8 on both sides.  Nothing is reported: a pass the formatter
// rejects, or whose result would exceed 511 bytes of the ANSI code page,
// hands its input on unchanged.  User-interface thread only.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

std::string formatDateTime(std::string_view format);
// The same for a given instant.
std::string formatDateTime(std::string_view format, const SYSTEMTIME& at);

// formatDateTime(format) as bytes of the ANSI code page, ready to go into
// the document text; a character the code page cannot hold comes out as the
// system converts it, as typed text does.
std::string dateTimeStamp(std::string_view format);

// Where "now" comes from (the local clock by default).  Tests install a fixed
// instant; an empty function restores the local clock.  Returns the old one.
using LocalClock = std::function<SYSTEMTIME()>;
LocalClock setLocalClock(LocalClock clock);
