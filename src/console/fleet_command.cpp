#include "console/fleet_command.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <mutex>

#include "console/console_commands.h"
#include "console/fleet_view.h"
#include "console/stop_signals.h"
#include "console/usage_text.h"
#include "fleet/fleet_run.h"
#include "fleet/port_list.h"
#include "platform/console_stream.h"
#include "platform/pc_path.h"
#include "platform/port_watch.h"
#include "platform/session_context.h"
#include "report/reporter.h"

namespace fs = std::filesystem;

namespace {

struct CFleetCommand {
    bool json = false;
    std::string watchFolder;
    std::string ports;
    std::vector<std::string> option;  // the option and its arguments, as typed
    std::string refusal;
};

CFleetCommand ParseFleetCommand(const std::vector<std::string>& arguments)
{
    CFleetCommand command;
    size_t next = 0;
    if (next < arguments.size() && arguments[next] == "--json") {
        command.json = true;
        ++next;
    }
    if (next < arguments.size() && arguments[next] == "--watch") {
        if (next + 1 >= arguments.size()) {
            command.refusal = "Error - --watch needs a folder";
            return command;
        }
        command.watchFolder = arguments[next + 1];
        next += 2;
    } else if (next < arguments.size()) {
        command.ports = arguments[next++];
    } else {
        command.refusal = "Error - No port given";
        return command;
    }
    command.option.assign(arguments.begin() + static_cast<std::ptrdiff_t>(next), arguments.end());
    return command;
}

// The job each handset runs for the option, or a refusal.
struct CJobChoice {
    CFleetJob job;
    std::string refusal;
};

CJobChoice ChooseJob(const std::vector<std::string>& option, const std::string& fetchFolder)
{
    CJobChoice choice;
    const size_t argc = option.size();
    if (argc == 0 || option[0].size() < 2 || option[0][0] != '-') {
        choice.refusal = "Error - Invalid argument(s) passed";
        return choice;
    }
    const char letter = option[0][1];
    auto invalid = [&choice] { choice.refusal = "Error - Invalid argument(s) passed"; };
    auto succeededOn = [](AppMessage success) {
        return [success](AppMessage result) { return result == success; };
    };
    CFleetJob& job = choice.job;
    switch (letter) {
    case 'v':
        job = {"listing", [](CDiagPort* link, const CFleetPort&) { return ListModulesCommand(link); },
               succeededOn(msgSuccess), {}, false};
        break;
    case 's':
        job = {"reading statistics",
               [](CDiagPort* link, const CFleetPort&) {
                   return EfsStatsAvailable ? StatisticsCommand(link) : Reported(msgInvalidArgument);
               },
               succeededOn(msgSuccess), {}, false};
        break;
    case 'l':
        if (argc != 3)
            return invalid(), choice;
        job = {"loading",
               [dir = option[1], name = option[2]](CDiagPort* link, const CFleetPort&) {
                   return LoadModuleCommand(link, dir, name);
               },
               succeededOn(msgModuleLoaded), {}, false};
        break;
    case 'p':
        if (argc != 2)
            return invalid(), choice;
        job = {"loading",
               [file = option[1]](CDiagPort* link, const CFleetPort&) { return LoadPendingCommand(link, file); },
               succeededOn(msgPendingLoaded), {}, false};
        break;
    case 'd':
        if (argc != 2)
            return invalid(), choice;
        job = {"deleting",
               [name = option[1]](CDiagPort* link, const CFleetPort&) { return DeleteModuleCommand(link, name); },
               succeededOn(msgModuleDeleted), {}, false};
        break;
    case 'g':
        if (argc != 3)
            return invalid(), choice;
        // Each handset's copy goes to a folder of its own under the one named.
        job = {"fetching",
               [file = option[1], dir = fetchFolder](CDiagPort* link, const CFleetPort& port) {
                   const fs::path folder = PcPath(dir) / PcPath(port.label);
                   std::error_code error;
                   fs::create_directories(folder, error);
                   return FetchFileCommand(link, file, Utf8Of(folder));
               },
               succeededOn(msgSuccess), {}, false};
        break;
    case 'o':
        job = {"going offline", [](CDiagPort* link, const CFleetPort&) { return OfflineCommand(link); },
               succeededOn(msgNowOffline), {}, false};
        break;
    case 'r':
        job = {"resetting", [](CDiagPort* link, const CFleetPort&) { return ResetCommand(link); },
               succeededOn(msgNowOnline), {}, false};
        break;
    case 'i':
        choice.refusal = "Error - The interactive mode takes one port";
        break;
    default:
        invalid();
        break;
    }
    if (option[0].size() != 2 && choice.refusal.empty())
        invalid();
    job.rollsBack = letter == 'l' || letter == 'p' || letter == 'd' || letter == 'g';
    return choice;
}

int Refuse(const std::string& text)
{
    std::fprintf(stderr, "%s\n", text.c_str());
    return fleetExitUsage;
}

}  // namespace

bool IsFleetCommand(const std::vector<std::string>& arguments)
{
    if (arguments.empty())
        return false;
    return arguments[0] == "--json" || arguments[0] == "--watch" ||
           arguments[0].find(',') != std::string::npos;
}

int RunFleetCommand(const std::vector<std::string>& arguments)
{
    const CFleetCommand command = ParseFleetCommand(arguments);
    if (!command.refusal.empty())
        return Refuse(command.refusal);
    CPortList ports;
    if (command.watchFolder.empty()) {
        ports = ParsePortList(command.ports);
        if (!ports.refusal.empty())
            return Refuse(ports.refusal);
    }
    const std::string fetchFolder = command.option.size() == 3 ? command.option[2] : std::string();
    CJobChoice choice = ChooseJob(command.option, fetchFolder);
    if (!choice.refusal.empty())
        return Refuse(choice.refusal);

    const FleetViewKind viewKind = command.json                                     ? FleetViewKind::json
                                   : EnableTerminalSequences(StandardStream::output) ? FleetViewKind::table
                                                                                     : FleetViewKind::lines;
    if (viewKind != FleetViewKind::json)
        PrintBanner();
    if (viewKind == FleetViewKind::lines)
        choice.job.connectStage = [](const CFleetPort& port, ConnectStage stage) {
            ShowConnectStage(port.name, stage);
        };
    CFleetView view(viewKind);
    std::mutex viewLock;
    const unsigned stopsBefore = StopEverywhereCount();
    std::vector<CFleetRow> rows;
    {
        // The first Ctrl-C asks every handset to stop and roll back; a second ends at once.
        const CStopSignalScope signals;
        CFleetRun run(choice.job, [&](const CFleetEvent& event, const std::vector<CFleetRow>& now) {
            std::lock_guard guard(viewLock);
            view.OnEvent(event, now);
        });
        auto stopped = [stopsBefore] { return StopEverywhereCount() != stopsBefore; };
        if (command.watchFolder.empty()) {
            for (const CFleetPort& port : ports.ports)
                run.Start(port);
        } else {
            CPortWatch watch(command.watchFolder);
            if (!watch.Valid())
                return Refuse("Error - Cannot watch the folder " + command.watchFolder);
            // Until Ctrl-C: every port that appears is served once per appearance.
            while (!stopped()) {
                for (const std::string& name : watch.Arrivals(std::chrono::milliseconds(100))) {
                    CFleetPort port{name, PortLabel(name), name};
                    run.Start(port);
                }
                std::lock_guard guard(viewLock);
                view.Tick(run.Rows());
            }
        }
        bool noted = false;
        while (!run.WaitAllFor(std::chrono::milliseconds(100))) {
            if (stopped() && !noted) {
                run.NoteStopping();
                noted = true;
            }
            std::lock_guard guard(viewLock);
            view.Tick(run.Rows());
        }
        rows = run.Rows();
        std::lock_guard guard(viewLock);
        view.Tick(rows, true);
    }
    if (viewKind != FleetViewKind::json) {
        const std::string summary = FleetSummaryText(rows, command.option, false);
        std::fwrite(summary.data(), 1, summary.size(), stdout);
        std::fflush(stdout);
    }
    if (StopEverywhereCount() != stopsBefore)
        return fleetExitStopped;
    for (const CFleetRow& row : rows)
        if (!row.succeeded)
            return fleetExitFailed;
    return fleetExitSucceeded;
}
