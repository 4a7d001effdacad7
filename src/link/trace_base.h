// The link's trace: texts about every command, reply and state change. A trace file is written
// only when the build turns tracingEnabled on; a listener (a test, a diagnostic tool) may
// receive the same texts in any build.
#pragma once

#include <mutex>

#include <atomic>
#include <cstdio>
#include <functional>
#include <string>

#include "link/link_status.h"

constexpr bool tracingEnabled = false;

using TraceListener = std::function<void(const std::string& text)>;

class CTraceBase {
public:
    CTraceBase() = default;
    virtual ~CTraceBase();
    CTraceBase(const CTraceBase&) = delete;
    CTraceBase& operator=(const CTraceBase&) = delete;

    // Writes one trace text; texts carry their own line ends and several may build one line.
    void Trace(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // Receives every trace text from now on; an empty function removes the listener.
    void SetTraceListener(TraceListener listener);

protected:
    // Opens "PortTrace_<port>.dbg" beside the executable; fails without a file while tracing
    // is off.
    LinkStatus OpenTrace(const std::string& portName);
    void CloseTrace();

private:
    std::mutex traceLock;
    std::FILE* traceFile = nullptr;
    TraceListener traceListener;
    std::atomic<bool> tracing{false};  // a file or a listener wants texts
};

// The trace file's name for a port: slashes of a device path become underscores.
std::string TraceFileName(const std::string& portName);
