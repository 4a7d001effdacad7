// The window's start on a system where a program's console is the program's own.
#pragma once

// Closes the console window this process was given when no other program shares it (started
// from Explorer, not from a command prompt), so only the window stays on screen.
void ReleaseOwnConsole();
