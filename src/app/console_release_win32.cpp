// VANTFerrant.exe is a console program, so that a command prompt waits for it and its output can
// be redirected (`VANTFerrant COM3 -v > out.txt`); a window program would return the prompt at
// once and print nowhere. Started from Explorer it is then given a console of its own, which it
// gives up before the window opens: the console flashes briefly instead of staying open. (A
// .com/.exe pair of programs would avoid the flash at the price of a second program to ship and
// keep in step.)
#include "app/console_release.h"

#include <windows.h>

void ReleaseOwnConsole()
{
    // The processes attached to this console: this one alone means no command prompt shares it.
    DWORD processes[2] = {};
    if (::GetConsoleProcessList(processes, 2) == 1)
        ::FreeConsole();
}
