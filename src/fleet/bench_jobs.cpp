#include "fleet/bench_jobs.h"

#include <cinttypes>
#include <cstdio>

#include "efs/efs_memory.h"
#include "link/phone_mode.h"
#include "modules/module_list.h"
#include "modules/module_load.h"
#include "modules/module_name.h"
#include "report/reporter.h"

namespace {

std::function<bool(AppMessage)> SucceededOn(AppMessage success)
{
    return [success](AppMessage result) { return result == success; };
}

AppMessage Reported(AppMessage code)
{
    ReportAppMessage(code);
    return code;
}

// One line naming the modules: "chess (61000 bytes), maps (20 bytes)", without sizes when the
// handset keeps no statistics.
std::string ModuleLine(const std::vector<StoredModule>& modules, bool withSizes)
{
    std::string line;
    for (const StoredModule& module : modules) {
        line += (line.empty() ? "" : ", ") + module.path;
        if (withSizes)
            line += " (" + std::to_string(module.mifSize + module.directorySize) + " bytes)";
    }
    return line;
}

AppMessage ListModulesJob(CDiagPort* link)
{
    const bool withSizes = EfsStatsAvailable;
    std::vector<StoredModule> modules;
    const AppMessage result = ListModules(link, withSizes ? ModuleSizes::actual : ModuleSizes::none, modules);
    if (result != msgSuccess)
        return Reported(result);
    WriteConsoleText(ModuleLine(modules, withSizes) + "\n");
    return result;
}

AppMessage StatisticsJob(CDiagPort* link)
{
    int freeKb = 0;
    int totalKb = 0;
    if (!EfsStatsAvailable || !QueryEfsMemory(link, &freeKb, &totalKb))
        return Reported(msgNoMemoryFigures);
    WriteConsoleText("Mem free/total: " + std::to_string(freeKb) + "K / " + std::to_string(totalKb) + "K\n");
    return msgSuccess;
}

}  // namespace

const std::vector<CBenchActionName>& BenchActions()
{
    static const std::vector<CBenchActionName> actions = {
        {BenchAction::loadModule, "Load module"},   {BenchAction::deleteModule, "Delete module"},
        {BenchAction::loadPending, "Load pending file"}, {BenchAction::listModules, "List modules"},
        {BenchAction::statistics, "Statistics"},    {BenchAction::reset, "Reset"},
        {BenchAction::offline, "Offline"},
    };
    return actions;
}

CBenchFields BenchFieldsFor(BenchAction action)
{
    CBenchFields fields;
    fields.folder = fields.moduleName = action == BenchAction::loadModule;
    fields.name = action == BenchAction::deleteModule;
    fields.file = action == BenchAction::loadPending;
    return fields;
}

AppMessage CheckBenchRequest(const CBenchRequest& request)
{
    switch (request.action) {
    case BenchAction::loadModule: {
        if (request.folder.empty() || request.moduleName.empty())
            return msgModuleNamesNotGiven;
        std::string name = request.moduleName;
        return ParseModuleName(name) ? msgSuccess : msgInvalidModuleName;
    }
    case BenchAction::deleteModule: {
        if (request.name.empty())
            return msgModuleNameNotGiven;
        std::string name = request.name;
        return ParseModuleName(name) ? msgSuccess : msgInvalidModuleName;
    }
    case BenchAction::loadPending:
        return request.file.empty() ? msgFileNameNotGiven : msgSuccess;
    default:
        return msgSuccess;
    }
}

CFleetJob BenchJob(const CBenchRequest& request)
{
    switch (request.action) {
    case BenchAction::loadModule:
        return {"loading",
                [folder = request.folder, name = request.moduleName](CDiagPort* link, const CFleetPort&) {
                    return Reported(LoadModule(link, folder, name));
                },
                SucceededOn(msgModuleLoaded), {}, true};
    case BenchAction::deleteModule:
        return {"deleting",
                [name = request.name](CDiagPort* link, const CFleetPort&) {
                    const AppMessage result = DeleteModule(link, name);
                    // The details behind 58 are reported already.
                    return result != msgCannotRemoveModule ? Reported(result) : result;
                },
                SucceededOn(msgModuleDeleted), {}, true};
    case BenchAction::loadPending:
        return {"loading",
                [file = request.file](CDiagPort* link, const CFleetPort&) {
                    return Reported(LoadPendingFile(link, file));
                },
                SucceededOn(msgPendingLoaded), {}, true};
    case BenchAction::listModules:
        return {"listing", [](CDiagPort* link, const CFleetPort&) { return ListModulesJob(link); },
                SucceededOn(msgSuccess), {}};
    case BenchAction::statistics:
        return {"reading statistics", [](CDiagPort* link, const CFleetPort&) { return StatisticsJob(link); },
                SucceededOn(msgSuccess), {}};
    case BenchAction::reset:
        return {"resetting", [](CDiagPort* link, const CFleetPort&) { return Reported(ResetPhone(link)); },
                SucceededOn(msgNowOnline), {}};
    case BenchAction::offline:
        return {"going offline",
                [](CDiagPort* link, const CFleetPort&) { return Reported(SetPhoneOffline(link)); },
                SucceededOn(msgNowOffline), {}};
    }
    return {};
}
