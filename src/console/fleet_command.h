// The console's form for several handsets at once:
//   VANTFerrant [--json] PORT,PORT,... option ...
//   VANTFerrant [--json] --watch DIR option ...
// Each handset runs the option in its own session and thread. Exit status: 0 when every handset
// succeeded, 1 when any failed, 2 for a usage error, 130 when stopped.
#pragma once

#include <string>
#include <vector>

constexpr int fleetExitSucceeded = 0;
constexpr int fleetExitFailed = 1;
constexpr int fleetExitUsage = 2;
constexpr int fleetExitStopped = 130;

// True for arguments (program name left out) that take the several-port form: --json or
// --watch first, or a comma in the port.
bool IsFleetCommand(const std::vector<std::string>& arguments);

int RunFleetCommand(const std::vector<std::string>& arguments);
