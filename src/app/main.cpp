// VANTFerrant: with arguments a console tool, without arguments the window. The console branch
// never creates the windowing application, so it runs on a machine without a display.
#include "app/window_branch.h"
#include "report/reporter.h"
#include "console/startup.h"
#include "platform/console_stream.h"
#include "sim/sim_port.h"

int main(int argc, char** argv)
{
    InstallMemoryExhaustionHandler();
    InstallVirtualHandsetPorts();  // port names "SIM" and "SIM:DIR"
    if (argc > 1) {
        CProgramArguments arguments(argc, argv);
        return RunConsoleMode(arguments.Count(), arguments.Vector());
    }
    return RunWindowBranch(argc, argv);
}
