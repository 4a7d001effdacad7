#include "link/trace_base.h"

#include <cstdarg>
#include <mutex>
#include <utility>

#include "platform/program_path.h"

CTraceBase::~CTraceBase()
{
    CloseTrace();
}

void CTraceBase::Trace(const char* format, ...)
{
    if (!tracing.load(std::memory_order_acquire))
        return;
    char text[1024];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (n < 0)
        return;
    std::lock_guard guard(traceLock);
    if (traceFile != nullptr) {
        std::fputs(text, traceFile);
        std::fflush(traceFile);
    }
    if (traceListener)
        traceListener(text);
}

void CTraceBase::SetTraceListener(TraceListener listener)
{
    std::lock_guard guard(traceLock);
    traceListener = std::move(listener);
    tracing.store(traceFile != nullptr || traceListener, std::memory_order_release);
}

std::string TraceFileName(const std::string& portName)
{
    std::string name = "PortTrace_" + portName + ".dbg";
    for (char& c : name)
        if (c == '/')
            c = '_';
    return name;
}

LinkStatus CTraceBase::OpenTrace(const std::string& portName)
{
    if constexpr (!tracingEnabled) {
        return linkStatusFail;
    } else {
        std::lock_guard guard(traceLock);
        if (traceFile != nullptr)
            return linkStatusOk;
        const std::string path = ProgramDirectory();
        if (path.empty())
            return linkStatusFail;
        traceFile = std::fopen((path + TraceFileName(portName)).c_str(), "w+");
        if (traceFile == nullptr)
            return linkStatusFail;
        tracing.store(true, std::memory_order_release);
        std::fputs("Started the Trace\n", traceFile);
        std::fflush(traceFile);
        if (traceListener)
            traceListener("Started the Trace\n");
        return linkStatusOk;
    }
}

void CTraceBase::CloseTrace()
{
    std::lock_guard guard(traceLock);
    if (traceFile != nullptr) {
        std::fclose(traceFile);
        traceFile = nullptr;
    }
    tracing.store(static_cast<bool>(traceListener), std::memory_order_release);
}
