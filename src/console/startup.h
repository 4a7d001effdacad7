// Console start-up: reporting to standard output, the argument vector, then the driver.
#pragma once

#include <string>

#include "console/usage_text.h"

// Runs one console session over argv[1..argc); the exit status is always 0. The several-port
// form (console/fleet_command.h) returns its own.
int RunConsoleMode(int argc, char** argv);

// A command line that could not be cut into arguments runs nothing: its error goes to standard
// error (where a script or a redirection sees it, and which never waits for a click) and the
// exit status is 1.
int RefuseCommandLine(const std::string& errorText);
