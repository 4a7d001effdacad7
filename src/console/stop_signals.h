// Ctrl-C, SIGTERM and SIGHUP while a console operation runs: the first asks the operation to
// stop, so it rolls back and reports the stop; a second one, or a stop the operation has not
// seen within the longest request time-out plus two seconds, ends the process as the signal
// would have. Outside an operation the signals keep their usual effect.
#pragma once

#include <csignal>

class CStopSignalScope {
public:
    // Clears any earlier stop request and installs the handlers.
    CStopSignalScope();
    // Cancels the watchdog and restores the handlers that were there before.
    ~CStopSignalScope();

    CStopSignalScope(const CStopSignalScope&) = delete;
    CStopSignalScope& operator=(const CStopSignalScope&) = delete;

private:
    struct sigaction saved[4] {};
};
