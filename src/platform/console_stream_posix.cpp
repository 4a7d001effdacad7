// Standard streams on POSIX: a terminal understands escape sequences as it is, and the program's
// arguments already arrive as UTF-8 bytes, so they are taken as they are.
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

CProgramArguments::CProgramArguments(int argc, char** argv)
{
    for (int i = 0; i < argc; ++i)
        texts.emplace_back(argv[i]);
    for (auto& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
}
