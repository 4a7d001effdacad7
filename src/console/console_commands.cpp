#include "console/console_commands.h"

#include <cstdio>

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
    const AppMessage result = DeleteModule(port, moduleName);
    return result != msgModuleNotRemoved ? Reported(result) : result;
}

AppMessage LoadModuleCommand(CDiagPort* port, const std::string& dir, const std::string& name)
{
    return Reported(LoadModule(port, dir, name));
}

AppMessage LoadPendingCommand(CDiagPort* port, const std::string& pcFile)
{
    return Reported(LoadPendingFile(port, pcFile));
}

AppMessage FetchFileCommand(CDiagPort* port, const std::string& deviceFile, const std::string& pcDir)
{
    std::string destination = pcDir;
    return Reported(FetchFile(port, deviceFile, destination));
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
