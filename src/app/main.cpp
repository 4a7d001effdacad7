// VANTFerrant: with arguments a console tool, without arguments the window. The console branch
// never creates the windowing application, so it runs on a machine without a display.
#include "app/program_arguments.h"
#include "app/window_branch.h"
#include "report/reporter.h"
#include "console/startup.h"
#include "sim/sim_port.h"

int main(int argc, char** argv)
{
    InstallMemoryExhaustionHandler();
    InstallVirtualHandsetPorts();  // port names "SIM" and "SIM:DIR"
    CProgramArguments arguments(argc, argv);
    if (!arguments.Present())
        return RunWindowBranch(argc, argv);
    if (!arguments.Error().empty())
        return RefuseCommandLine(arguments.Error());
    return RunConsoleMode(arguments.Count(), arguments.Vector());
}
