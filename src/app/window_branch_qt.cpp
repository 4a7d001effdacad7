// Without arguments the program opens its window.
#include "app/window_branch.h"

#include "ui/window_startup.h"

int RunWindowBranch(int argc, char** argv)
{
    return RunWindowMode(argc, argv);
}
