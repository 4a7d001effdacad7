// Without arguments the program opens its window and runs the connect command at once.
#include "app/window_branch.h"

#include "app/console_release.h"
#include "ui/device_tree_ctrl.h"
#include "ui/left_view.h"
#include "ui/main_frame.h"
#include "ui/window_startup.h"

int RunWindowBranch(int argc, char** argv)
{
    ReleaseOwnConsole();
    CWindowStartup startup;
    startup.connectAtStart = [](CMainFrame& frame) {
        frame.GetLeftView()->Tree()->ConnectAtStart();
    };
    return RunWindowMode(argc, argv, startup);
}
