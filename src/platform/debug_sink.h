// The debugger output channel: diagnostic lines that are never shown on standard output or
// error. They go to the file named by VANTFERRANT_DEBUG_LOG, or to a sink a test installs.
#pragma once

#include <functional>
#include <string>

void DebugOutput(const std::string& text);

using DebugSink = std::function<void(const std::string& text)>;

// Replaces the destination of DebugOutput; an empty function restores the default.
void SetDebugSink(DebugSink sink);
