#include "console/startup.h"

#include <cstdio>
#include <string>
#include <vector>

#include "console/argument_vector.h"
#include "console/command_line_driver.h"
#include "console/fleet_command.h"
#include "report/reporter.h"
#include "console/usage_text.h"

int RunConsoleMode(int argc, char** argv)
{
    OutputMode = outputModeConsole;

    // The shell has already split the command line; the arguments go into the fixed slots as
    // given. A command line the slots cannot hold is refused like any other malformed one.
    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (IsFleetCommand(arguments))
        return RunFleetCommand(arguments);
    CArgumentVector vector;
    if (!vector.Fill(applicationName, arguments)) {
        PrintBanner();
        PrintUsage();
        return 0;
    }
    RunCommandLine(vector.Count(), vector.Vector());
    return 0;
}

int RefuseCommandLine(const std::string& errorText)
{
    std::fprintf(stderr, "%s\n", errorText.c_str());
    return 1;
}
