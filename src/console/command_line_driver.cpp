#include "console/command_line_driver.h"

#include <cstring>
#include <string>

#include "console/console_commands.h"
#include "console/interactive_mode.h"
#include "report/reporter.h"
#include "console/usage_text.h"
#include "link/diag_port.h"
#include "session/handset_connect.h"

namespace {

AppMessage Usage(AppMessage code)
{
    PrintUsage();
    return code;
}

// Runs the option letter on the connected handset; argc is the size of the argument vector.
AppMessage RunOption(CDiagPort* port, char letter, int argc, char** argv)
{
    switch (letter) {
    case 'd':
        return argc == 4 ? DeleteModuleCommand(port, argv[3]) : Usage(msgInvalidArgument);
    case 'g':
        return argc == 5 ? FetchFileCommand(port, argv[3], argv[4]) : Usage(msgInvalidArgument);
    case 'i':
        RunInteractiveMode(port);
        return msgSuccess;
    case 'l':
        return argc == 5 ? LoadModuleCommand(port, argv[3], argv[4]) : Usage(msgInvalidArgument);
    case 'o':
        return OfflineCommand(port);
    case 'p':
        return argc == 4 ? LoadPendingCommand(port, argv[3]) : Usage(msgInvalidArgument);
    case 'r':
        return ResetCommand(port);
    case 's':
        return EfsStatsAvailable ? StatisticsCommand(port) : Usage(msgInvalidArgument);
    case 'v':
        return ListModulesCommand(port);
    default:
        // An unknown option gives msgModuleLoaded as its result, never reported: only the usage
        // is printed.
        return Usage(msgModuleLoaded);
    }
}

}  // namespace

AppMessage RunCommandLine(int argc, char** argv)
{
    PrintBanner();
    if (argc < 3)
        return Usage(msgInvalidArgument);

    if (std::strlen(argv[2]) < 2)
        return Usage(msgInvalidArgument);
    const char letter = argv[2][1];

    // The console shows the connection's progress as it goes: a line, one dot per wait period.
    const std::string portName = argv[1];
    const CConnection connection = ConnectHandset(
        portName, LinkTiming(), [&portName](ConnectStage stage) { ShowConnectStage(portName, stage); });
    if (connection.result != msgSuccess)
        return Reported(connection.result);
    EfsStatsAvailable = connection.statsAvailable;
    return RunOption(connection.link.get(), letter, argc, argv);
}
