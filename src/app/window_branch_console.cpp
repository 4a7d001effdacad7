// A build without the window front end: without arguments it shows how to use the console.
#include "app/window_branch.h"

#include "report/reporter.h"
#include "console/usage_text.h"

int RunWindowBranch(int, char**)
{
    OutputMode = outputModeConsole;
    PrintBanner();
    PrintUsage();
    return 0;
}
