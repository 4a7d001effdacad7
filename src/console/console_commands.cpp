#include "console/console_commands.h"

#include <string>

#include "console/module_table.h"
#include "console/progress_line.h"
#include "console/stop_signals.h"
#include "efs/efs_memory.h"
#include "report/reporter.h"
#include "link/phone_mode.h"
#include "modules/file_fetch.h"
#include "modules/module_list.h"
#include "modules/module_load.h"
#include "platform/session_context.h"

namespace {

// A device operation of the console runs with signals asking it to stop and its transfers
// shown on the progress line; both end, erasing the line, before the result is reported.
// One handset among several runs plainly: the run that holds them owns the stop signals and
// shows their progress itself.
template <typename Operation>
AppMessage RunOperation(Operation operation)
{
    if (SessionContextBound())
        return operation();
    const CStopSignalScope signals;
    const CProgressLine progress;
    return operation();
}

// A mode change's wait as the console shows it: the text, one dot per period, then a new line.
ModeWaitWatcher WaitingLine(const char* text)
{
    return [text](ModeWaitEvent event) {
        WriteConsoleText(event == ModeWaitEvent::started ? text
                         : event == ModeWaitEvent::period ? "."
                                                          : "\n");
    };
}

}  // namespace

AppMessage Reported(AppMessage code)
{
    ReportAppMessage(code);
    return code;
}

AppMessage ListModulesCommand(CDiagPort* port)
{
    const bool withSizes = EfsStatsAvailable;
    std::vector<StoredModule> modules;
    const AppMessage result =
        ListModules(port, withSizes ? ModuleSizes::actual : ModuleSizes::none, modules);
    if (result != msgSuccess)
        return Reported(result);
    PrintModuleTable(modules, withSizes);
    return result;
}

AppMessage DeleteModuleCommand(CDiagPort* port, const std::string& moduleName)
{
    const AppMessage result = RunOperation([&] { return DeleteModule(port, moduleName); });
    // DeleteModule has already reported the details behind msgCannotRemoveModule.
    return result != msgCannotRemoveModule ? Reported(result) : result;
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
    return Reported(SetPhoneOffline(port, WaitingLine("Waiting for phone to go offline")));
}

AppMessage ResetCommand(CDiagPort* port)
{
    return Reported(ResetPhone(port, WaitingLine("Waiting for phone to come back online")));
}

AppMessage StatisticsCommand(CDiagPort* port)
{
    int freeKb = 0;
    int totalKb = 0;
    if (!QueryEfsMemory(port, &freeKb, &totalKb))
        return Reported(msgNoMemoryFigures);
    WriteConsoleText("\nMem free/total: " + std::to_string(freeKb) + "K / " + std::to_string(totalKb) +
                     "K\n");
    return msgSuccess;
}

void ShowConnectStage(const std::string& portName, ConnectStage stage)
{
    switch (stage) {
    case ConnectStage::portOpened:
        WriteConsoleText("Establishing communication with the phone on port " + portName);
        break;
    case ConnectStage::pollPeriodPassed:
        WriteConsoleText(".");
        break;
    case ConnectStage::detectionEnded:
        WriteConsoleText("\n");
        break;
    case ConnectStage::handsetFound:
        WriteConsoleText("Communication established\n\nProcessing command. Please wait ...");
        break;
    }
}
