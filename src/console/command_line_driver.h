// The console driver: connects to the handset on argv[1] and runs the option in argv[2], or the
// interactive prompt. Returns the AppMessage code of the run.
#pragma once

#include "report/app_messages.h"

AppMessage RunCommandLine(int argc, char** argv);
