// Keeping the heap out of the reports Windows makes when the program
// crashes.  A crash report with the heap would carry the open document's
// text and whatever secrets were in memory at that moment off to disk, and
// possibly to whoever collects the reports.
//
// The switch is WerSetFlags(WER_FAULT_REPORTING_FLAG_NOHEAP) in kernel32.
// Systems without it (older ones, wine) are not refused: the function is
// looked up at run time, and where it is missing or fails the program goes
// on as before, silently.  Process-wide; call once at start-up.
#pragma once

#include <windows.h>

// The shape of kernel32's WerSetFlags.
using WerSetFlagsFunction = HRESULT(WINAPI*)(DWORD flags);

// Asks `setFlags` to leave the heap out; true when it accepted.  Null
// means the system has no such call.
bool keepHeapOutOfCrashReports(WerSetFlagsFunction setFlags);
// The same with the system's own function, if it has one.
bool keepHeapOutOfCrashReports();
