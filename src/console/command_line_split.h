// Cutting one command-line string into arguments, for platforms that hand a program its command
// line as a single text. Quotes group (and are dropped, with no escape), a space ends an
// unquoted argument, and white space between arguments is skipped.
#pragma once

#include <string>
#include <vector>

struct SplitCommandLineResult {
    bool ok = true;
    std::vector<std::string> arguments;
    std::string errorText;  // "ERROR: Unterminated quoted argument: %s" when !ok
};

SplitCommandLineResult SplitCommandLine(const std::string& commandLine);
