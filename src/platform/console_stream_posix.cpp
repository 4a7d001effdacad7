// Standard streams on POSIX: a terminal understands escape sequences as it is.
#include "platform/console_stream.h"

#include <unistd.h>

bool IsTerminal(StandardStream stream)
{
    return ::isatty(stream == StandardStream::output ? STDOUT_FILENO : STDERR_FILENO) == 1;
}

bool EnableTerminalSequences(StandardStream stream)
{
    return IsTerminal(stream);
}
