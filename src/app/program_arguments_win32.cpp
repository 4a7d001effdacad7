// Windows hands a program one command-line text and leaves the cutting to it. The console front
// end cuts it by its own rule (SplitCommandLine: quotes group and have no escape, only a space
// ends a word), not by the C runtime's, and reads it from the wide text so names in any script
// arrive intact as UTF-8.
#include "app/program_arguments.h"

#include <windows.h>

#include <iterator>
#include <string>
#include <vector>

#include "console/command_line_split.h"
#include "platform/raw_command_line.h"

CProgramArguments::CProgramArguments(int, char**)
{
    const RawCommandLine line = ReadRawCommandLine();
    SplitCommandLineResult split = SplitCommandLine(line.arguments);
    // Blanks alone after the name start the window, as no arguments at all do.
    present_ = !split.ok || !split.arguments.empty();
    if (!present_) {
        Keep({line.programName});
        return;
    }
    ::SetConsoleOutputCP(CP_UTF8);
    error_ = split.errorText;
    std::vector<std::string> texts{line.programName};
    texts.insert(texts.end(), std::make_move_iterator(split.arguments.begin()),
                 std::make_move_iterator(split.arguments.end()));
    Keep(std::move(texts));
}
