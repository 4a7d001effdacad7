// Windows hands a program its command line as one wide text; the narrow argv the C runtime makes
// from it is cut by the runtime's own rule and in the ANSI code page, so the program reads the
// text itself and keeps it in UTF-8.
#include "platform/raw_command_line.h"

#include <windows.h>

#include "platform/wide_text.h"

RawCommandLine ReadRawCommandLine()
{
    const wchar_t* line = ::GetCommandLineW();
    return CutProgramName(line != nullptr ? Utf8FromWide(line) : std::string());
}
