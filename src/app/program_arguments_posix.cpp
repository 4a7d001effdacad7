// On POSIX the shell has already cut the command line and the arguments arrive as UTF-8 bytes,
// so they are taken as they are.
#include "app/program_arguments.h"

CProgramArguments::CProgramArguments(int argc, char** argv)
{
    present_ = argc > 1;
    Keep(std::vector<std::string>(argv, argv + argc));
}
