// Keeping the heap out of the reports Windows makes when the program
// crashes.  A report with the heap would carry the open document's text,
// and whatever secrets were in memory at that moment, to disk and possibly
// to whoever collects the reports.
//
// The switch is WerSetFlags(WER_FAULT_REPORTING_FLAG_NOHEAP) in kernel32.
// It is looked up at run time, so that a system without it still runs the
// program: there, or where it fails, nothing changes and nothing is said.
// Process-wide; call once at start-up.
#pragma once

// True when the system took the request.
bool keepHeapOutOfCrashReports();
