// The stop signals while a console operation runs (Ctrl-C, and SIGTERM, SIGHUP or closing the
// console): the first asks the operation to stop, so it rolls back and reports the stop; a
// second one, or one while a question waits, ends the process at once, as does a hung line
// (the watchdog). Every session in the process is asked at once. Outside an operation the
// signals keep their usual effect.
#pragma once

#include <chrono>

#include "console/stop_watchdog.h"
#include "platform/stop_signal_hook.h"

class CStopSignalScope {
public:
    // Clears any earlier stop request and installs the handlers.
    explicit CStopSignalScope(std::chrono::milliseconds quiet = CStopWatchdog::defaultQuiet);
    // Ends the watchdog and restores the handlers that were there before.
    ~CStopSignalScope();

    CStopSignalScope(const CStopSignalScope&) = delete;
    CStopSignalScope& operator=(const CStopSignalScope&) = delete;

private:
    CStopSignalHook hook;
    CStopWatchdog watchdog;
};
