// The standard streams as the console front end uses them.
#pragma once

#include <string>
#include <vector>

enum class StandardStream { output, error };

// True when the stream is a terminal (a console on Windows), not a file or a pipe.
bool IsTerminal(StandardStream stream);

// Makes a terminal stream interpret ANSI sequences (erase the line, clear the screen); on
// Windows that is the console's virtual-terminal processing. False when it cannot.
bool EnableTerminalSequences(StandardStream stream);

// The program's arguments in UTF-8 (on Windows read from the wide command line, so names in any
// script survive), with a C-style vector over them. Also makes the console take UTF-8 output.
class CProgramArguments {
public:
    CProgramArguments(int argc, char** argv);
    int Count() const { return static_cast<int>(pointers.size()) - 1; }
    char** Vector() { return pointers.data(); }

private:
    std::vector<std::string> texts;
    std::vector<char*> pointers;  // into texts, ending in a null pointer
};
