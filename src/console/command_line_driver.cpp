#include "console/command_line_driver.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>

#include "console/console_commands.h"
#include "console/interactive_mode.h"
#include "report/reporter.h"
#include "console/usage_text.h"
#include "efs/efs_operations.h"
#include "link/diag_port.h"

namespace {

// Waits for the polling thread to find the handset, one dot per full wait period.
bool WaitForHandset(CDiagPort& port, const LinkTiming& timing)
{
    return port.WaitForPhone([&port] { return port.GetPhoneStatus() == phoneStatusReady; },
                             timing.connectPollCount,
                             [] {
                                 std::fputs(".", stdout);
                                 std::fflush(stdout);
                             },
                             timing.connectPollMs);
}

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
        // An unknown option gives the result 1 (never reported; only the usage is printed).
        return Usage(msgModuleLoaded);
    }
}

}  // namespace

AppMessage RunCommandLine(int argc, char** argv)
{
    PrintBanner();
    if (argc < 3)
        return Usage(msgInvalidArgument);

    const LinkTiming timing;
    auto port = std::make_unique<CDiagPort>(timing);
    if (std::strlen(argv[2]) < 2)
        return Usage(msgInvalidArgument);
    const char letter = argv[2][1];

    if (port->CreateEvents() != linkStatusOk || port->OpenPort(argv[1]) != linkStatusOk)
        return Reported(msgCannotOpenPort);

    std::printf("Establishing communication with the phone on port %s", argv[1]);
    std::fflush(stdout);
    const bool ready = WaitForHandset(*port, timing);
    std::fputs("\n", stdout);
    std::fflush(stdout);
    if (!ready)
        return Reported(msgNoDevice);

    std::fputs("Communication established\n\nProcessing command. Please wait ...", stdout);
    std::fflush(stdout);
    if (const AppMessage check = EfsCheck(port.get()); check != msgSuccess)
        return Reported(check);

    uint32_t used = 0;
    if (!EfsGetUsedSpace(port.get(), &used))
        used = 0;
    EfsStatsAvailable = used > 0;

    return RunOption(port.get(), letter, argc, argv);
}
