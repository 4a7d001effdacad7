// How soon a console command gets to work: the median wall time of five runs of
// "VANTFerrant SIM -v" and of "VANTFerrant SIM -s" (goal: each under 0.25 s), beside the median
// time the same work takes on a link that is already open to the same virtual handset.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "bench_handset.h"
#include "efs/efs_operations.h"
#include "modules/module_list.h"
#include "sim/demo_tree.h"

using namespace bench;

namespace {

constexpr int runs = 5;

double Median(const std::function<bool()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto started = Clock::now();
        if (!work())
            return -1;
        times.push_back(Seconds(Clock::now() - started));
    }
    std::sort(times.begin(), times.end());
    return times[runs / 2];
}

// Runs the program with its output thrown away; true when it ended normally.
bool RunCommand(const char* option)
{
    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::execl(VANTFERRANT_EXE, VANTFERRANT_EXE, "SIM", option, static_cast<char*>(nullptr));
        std::_Exit(127);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Runs work with standard output sent to /dev/null.
bool Quietly(const std::function<bool()>& work)
{
    std::fflush(stdout);
    const int saved = ::dup(STDOUT_FILENO);
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, STDOUT_FILENO);
    const bool ok = work();
    std::fflush(stdout);
    ::dup2(saved, STDOUT_FILENO);
    ::close(null);
    ::close(saved);
    return ok;
}

}  // namespace

int main()
{
    BenchLink open;
    if (!open.Start(sim::SimBehaviour{}, sim::MakeDemoFileSystem())) {
        std::fprintf(stderr, "bench_command_start: the handset did not come up\n");
        return 1;
    }
    CDiagPort* port = open.port.get();
    const double view = Median([] { return RunCommand("-v"); });
    const double viewOpen = Median([&] { return Quietly([&] {
        std::vector<StoredModule> modules;
        return ListModules(port, ModuleSizes::actual, modules) == msgSuccess;
    }); });
    const double stats = Median([] { return RunCommand("-s"); });
    const double statsOpen = Median([&] {
        uint32_t free = 0, used = 0;
        return EfsGetFreeSpace(port, &free) && EfsGetUsedSpace(port, &used);
    });
    if (view < 0 || viewOpen < 0 || stats < 0 || statsOpen < 0) {
        std::fprintf(stderr, "bench_command_start: a command failed\n");
        return 1;
    }
    std::printf("command start: VANTFerrant SIM -v median %.3f s (goal < 0.25), listing on an open link %.4f s\n",
                view, viewOpen);
    std::printf("command start: VANTFerrant SIM -s median %.3f s (goal < 0.25), space on an open link %.4f s\n",
                stats, statsOpen);
    return 0;
}
