// The operations the bench window runs on every handset, as jobs for a fleet run: what the user
// chose (the action and its fields), the checks a request passes before anything is opened, and
// the job each handset's session runs. Each job reports its result as a message of its own
// session, so one handset's failure stays on its own row.
#pragma once

#include <string>
#include <vector>

#include "fleet/fleet_run.h"
#include "report/app_messages.h"

enum class BenchAction { loadModule, deleteModule, loadPending, listModules, statistics, reset, offline };

// The actions in the order the bench offers them, with their names; Load module first.
struct CBenchActionName {
    BenchAction action;
    const char* text;
};
const std::vector<CBenchActionName>& BenchActions();

struct CBenchRequest {
    BenchAction action = BenchAction::loadModule;
    std::string folder;      // a load's PC module folder
    std::string moduleName;  // a load's module name
    std::string name;        // the module a delete removes
    std::string file;        // the PC file a pending load sends
};

// Which fields an action takes, so the window enables only those.
struct CBenchFields {
    bool folder = false;
    bool moduleName = false;
    bool name = false;
    bool file = false;
};
CBenchFields BenchFieldsFor(BenchAction action);

// Checks the fields the action takes as the window's dialogs do (a load as New Module: both
// fields given, a usable module name). Returns msgSuccess, or the message that refuses it.
AppMessage CheckBenchRequest(const CBenchRequest& request);

// The job every handset runs for request (checked first).
CFleetJob BenchJob(const CBenchRequest& request);
