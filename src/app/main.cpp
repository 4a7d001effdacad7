// VANTFerrant: with arguments a console tool, without arguments the window.
#include "console/report/reporter.h"
#include "console/startup.h"
#include "console/usage_text.h"

int main(int argc, char** argv)
{
    InstallMemoryExhaustionHandler();
    if (argc > 1)
        return RunConsoleMode(argc, argv);

    // No window front end in this build: show how to use the console instead.
    OutputMode = outputModeConsole;
    PrintBanner();
    PrintUsage();
    return 0;
}
