// Where the running program lives.
#pragma once

#include <string>

// The folder holding the program's executable, ending in its separator; empty when unknown.
std::string ProgramDirectory();
