#include "platform/raw_command_line.h"

#include <algorithm>

RawCommandLine CutProgramName(std::string_view commandLine)
{
    RawCommandLine cut;
    size_t rest = commandLine.size();
    if (!commandLine.empty() && commandLine.front() == '"') {
        const size_t close = commandLine.find('"', 1);
        cut.programName = commandLine.substr(1, close == std::string_view::npos ? close : close - 1);
        if (close != std::string_view::npos)
            rest = close + 1;
    } else {
        rest = std::min(commandLine.find_first_of(" \t"), commandLine.size());
        cut.programName = commandLine.substr(0, rest);
    }
    rest = std::min(commandLine.find_first_not_of(" \t", rest), commandLine.size());
    cut.arguments = commandLine.substr(rest);
    return cut;
}
