// The console's stop signals as the system delivers them: SIGINT, SIGTERM and SIGHUP on POSIX;
// Ctrl-C, Ctrl-Break and closing the console window on Windows.
#pragma once

// Receives the signal's code (never 0). Runs inside a signal handler (POSIX) or on the system's control
// thread (Windows): it may only touch lock-free atomics and call async-signal-safe functions.
using StopSignalHandler = void (*)(int code);

// Routes the stop signals to handler while it lives, then restores what was there before.
class CStopSignalHook {
public:
    explicit CStopSignalHook(StopSignalHandler handler);
    ~CStopSignalHook();
    CStopSignalHook(const CStopSignalHook&) = delete;
    CStopSignalHook& operator=(const CStopSignalHook&) = delete;
};

// Ends the process at once the way the signal code would have without a handler: no
// destructors run (link threads may still be live).
[[noreturn]] void EndProcessBySignal(int code);
