// Console start-up: reporting to standard output, the argument vector, then the driver.
#pragma once

#include "console/usage_text.h"

// Runs one console session over argv[1..argc); the exit status is always 0. The several-port
// form (console/fleet_command.h) returns its own.
int RunConsoleMode(int argc, char** argv);
