#include "console/command_line_split.h"

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f';
}

}  // namespace

SplitCommandLineResult SplitCommandLine(const std::string& commandLine)
{
    SplitCommandLineResult result;
    size_t pos = 0;
    while (pos < commandLine.size() && IsBlank(commandLine[pos]))
        ++pos;

    while (pos < commandLine.size()) {
        std::string argument;
        if (commandLine[pos] == '"') {
            ++pos;
            const size_t close = commandLine.find('"', pos);
            if (close == std::string::npos) {
                result.ok = false;
                result.errorText = "ERROR: Unterminated quoted argument: " + commandLine.substr(pos);
                return result;
            }
            argument = commandLine.substr(pos, close - pos);
            pos = close + 1;
        } else {
            // Only a space ends an unquoted argument; a tab stays inside it.
            const size_t space = commandLine.find(' ', pos);
            const size_t end = space == std::string::npos ? commandLine.size() : space;
            argument = commandLine.substr(pos, end - pos);
            pos = space == std::string::npos ? end : space + 1;
        }
        while (pos < commandLine.size() && IsBlank(commandLine[pos]))
            ++pos;
        result.arguments.push_back(std::move(argument));
    }
    return result;
}
