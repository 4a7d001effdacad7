#include "platform/debug_sink.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <utility>

namespace {

std::mutex sinkMutex;
DebugSink installedSink;

void AppendToLogFile(const std::string& text)
{
    const char* path = std::getenv("VANTFERRANT_DEBUG_LOG");
    if (path == nullptr || *path == '\0')
        return;
    if (std::FILE* file = std::fopen(path, "a")) {
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    }
}

}  // namespace

void DebugOutput(const std::string& text)
{
    std::lock_guard lock(sinkMutex);
    if (installedSink)
        installedSink(text);
    else
        AppendToLogFile(text);
}

void SetDebugSink(DebugSink sink)
{
    std::lock_guard lock(sinkMutex);
    installedSink = std::move(sink);
}
