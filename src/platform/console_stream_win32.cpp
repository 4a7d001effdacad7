// Standard streams on Windows: a console shows escape sequences only once virtual-terminal
// processing is switched on, and the narrow argv is in the ANSI code page, so the arguments are
// read again from the wide command line and turned into UTF-8.
#include "platform/console_stream.h"

#include <windows.h>

#include <shellapi.h>

#include "platform/wide_text.h"

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

CProgramArguments::CProgramArguments(int argc, char** argv)
{
    ::SetConsoleOutputCP(CP_UTF8);
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide != nullptr && count == argc) {
        for (int i = 0; i < count; ++i)
            texts.push_back(Utf8FromWide(wide[i]));
    } else {
        for (int i = 0; i < argc; ++i)
            texts.emplace_back(argv[i]);
    }
    if (wide != nullptr)
        ::LocalFree(wide);
    for (auto& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
}
