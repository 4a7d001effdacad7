// The standard streams as the console front end uses them.
#pragma once

enum class StandardStream { output, error };

// True when the stream is a terminal (a console on Windows), not a file or a pipe.
bool IsTerminal(StandardStream stream);

// Makes a terminal stream interpret ANSI sequences (erase the line, clear the screen); on
// Windows that is the console's virtual-terminal processing. False when it cannot.
bool EnableTerminalSequences(StandardStream stream);
