// Console start-up: reporting to standard output, the argument vector, then the driver.
#pragma once

constexpr const char* applicationName = "VANTFerrant";

// Runs one console session over argv[1..argc). The process's exit status is always 0.
int RunConsoleMode(int argc, char** argv);
