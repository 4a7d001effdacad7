#include "console/console_commands.h"

#include <cstdio>

#include "console/progress_line.h"
#include "console/stop_signals.h"
#include "efs/efs_memory.h"
#include "report/reporter.h"
#include "link/phone_mode.h"
#include "modules/file_fetch.h"
#include "modules/module_list.h"
#include "modules/module_load.h"

namespace {

// DeleteModule has already reported the details behind this code.
constexpr AppMessage msgModuleNotRemoved = 58;
constexpr AppMessage msgNoMemoryFigures = 72;

// A device operation of the console runs with signals asking it to stop and its transfers
// shown on the progress line; both end, erasing the line, before the result is reported.
template <typename Operation>
AppMessage RunOperation(Operation operation)
{
    const CStopSignalScope signals;
    const CProgressLine progress;
    return operation();
}

}  // namespace

AppMessage Reported(AppMessage code)
{
    ReportAppMessage(code);
    return code;
}

AppMessage ListModulesCommand(CDiagPort* port)
{
    const AppMessage result = ListModules(port);
    return result != msgSuccess ? Reported(result) : result;
}

AppMessage DeleteModuleCommand(CDiagPort* port, const std::string& moduleName)
{
    const AppMessage result = RunOperation([&] { return DeleteModule(port, moduleName); });
    return result != msgModuleNotRemoved ? Reported(result) : result;
}

AppMessage LoadModuleCommand(CDiagPort* port, const std::string& dir, const std::string& name)
{
    return Reported(RunOperation([&] { return LoadModule(port, dir, name); }));
}

AppMessage LoadPendingCommand(CDiagPort* port, const std::string& pcFile)
{
    return Reported(RunOperation([&] { return LoadPendingFile(port, pcFile); }));
}

AppMessage FetchFileCommand(CDiagPort* port, const std::string& deviceFile, const std::string& pcDir)
{
    std::string destination = pcDir;
    return Reported(RunOperation([&] { return FetchFile(port, deviceFile, destination); }));
}

AppMessage OfflineCommand(CDiagPort* port)
{
    return Reported(SetPhoneOffline(port));
}

AppMessage ResetCommand(CDiagPort* port)
{
    return Reported(ResetPhone(port));
}

AppMessage StatisticsCommand(CDiagPort* port)
{
    int freeKb = 0;
    int totalKb = 0;
    if (!QueryEfsMemory(port, &freeKb, &totalKb))
        return Reported(msgNoMemoryFigures);
    std::printf("\nMem free/total: %dK / %dK\n", freeKb, totalKb);
    std::fflush(stdout);
    return msgSuccess;
}
