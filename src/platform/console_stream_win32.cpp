// Standard streams on Windows: a console shows escape sequences only once virtual-terminal
// processing is switched on.
#include "platform/console_stream.h"

#include <windows.h>

namespace {

HANDLE StreamHandle(StandardStream stream)
{
    return ::GetStdHandle(stream == StandardStream::output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
}

}  // namespace

bool IsTerminal(StandardStream stream)
{
    DWORD mode = 0;
    return ::GetConsoleMode(StreamHandle(stream), &mode) != 0;
}

bool EnableTerminalSequences(StandardStream stream)
{
    const HANDLE handle = StreamHandle(stream);
    DWORD mode = 0;
    if (!::GetConsoleMode(handle, &mode))
        return false;
    return (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0 ||
           ::SetConsoleMode(handle, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}
