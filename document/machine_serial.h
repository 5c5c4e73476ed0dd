// The serial number of this machine's system installation, the secret that
// stands in for an empty document password.
//
// On Windows it is the SerialNumber that WMI reports for Win32_OperatingSystem,
// in the ANSI code page; COM must already be initialised on the calling
// thread (the caller's business, as is process security).  Elsewhere it is
// the machine id (/etc/machine-id, then /var/lib/dbus/machine-id).
//
// The first non-empty answer is kept for the rest of the process; a failure
// is not kept, so the next call asks again.  Nothing here throws or shows
// anything: every failure is a null result.  Not thread-safe: call it from
// one thread (the editor's user-interface thread).
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace tolvane {

// The serial number, or null when none can be had.  An empty serial counts
// as none: it would bind documents to every machine that reports it.  The
// text stays valid for the rest of the process.
const char* machineSerialNumber();

// Where machineSerialNumber gets its answer: nothing means unavailable.
using MachineSerialSource = std::function<std::optional<std::string>()>;

// Replaces the source and forgets the cached answer; an empty function puts
// the platform's own source back.  For tests.
void setMachineSerialSource(MachineSerialSource source);

// The platform's own source, uncached.
std::optional<std::string> platformMachineSerial();

}  // namespace tolvane
