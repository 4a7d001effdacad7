// VANTFerrant: with arguments a console tool, without arguments the window. The console branch
// never creates the windowing application, so it runs on a machine without a display.
#include "app/window_branch.h"
#include "console/report/reporter.h"
#include "console/startup.h"

int main(int argc, char** argv)
{
    InstallMemoryExhaustionHandler();
    if (argc > 1)
        return RunConsoleMode(argc, argv);
    return RunWindowBranch(argc, argv);
}
