// The command line as one text, as Windows hands it to a program, which cuts it into arguments
// itself (a POSIX shell has already cut it before the program starts).
#pragma once

#include <string>
#include <string_view>

struct RawCommandLine {
    std::string programName;  // the first word, its quotes dropped
    std::string arguments;    // the rest, without the spaces and tabs that lead it
};

// Cuts the program's name off a command line by the system's rule for the first word: a quoted
// name runs to the next quote (or the end), any other name to the first space or tab.
RawCommandLine CutProgramName(std::string_view commandLine);

// This process's command line in UTF-8, read from the wide text the system keeps. Windows only.
RawCommandLine ReadRawCommandLine();
