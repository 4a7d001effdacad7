// vant-handset: serves a virtual handset on a pseudo-terminal so that a person (or a script) can
// point VANTFerrant at the printed path. Runs until SIGINT or SIGTERM.
#include <signal.h>

#include <cstdio>
#include <iostream>

#include "sim/demo_tree.h"
#include "sim/directory_file_system.h"
#include "sim/handset_host.h"
#include "sim/handset_options.h"
#include "platform/pc_path.h"

int main(int argc, char** argv)
{
    std::string error;
    const auto options = sim::ParseHandsetOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::cerr << "vant-handset: " << error << "\n" << sim::HandsetUsage();
        return 2;
    }
    if (options->help) {
        std::cout << sim::HandsetUsage();
        return 0;
    }

    std::unique_ptr<sim::CSimFileSystem> fileSystem;
    if (options->root.empty())
        fileSystem = sim::MakeDemoFileSystem();
    else if (!(fileSystem = sim::CDirectoryFileSystem::Open(PcPath(options->root)))) {
        std::cerr << "vant-handset: not a directory: " << options->root << "\n";
        return 2;
    }
    if (options->capacity)
        fileSystem->SetCapacity(*options->capacity);

    // Block the signals before the serving thread starts, so only sigwait below receives them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    auto host = sim::CHandsetHost::Start(
        std::make_unique<sim::CHandsetModel>(std::move(fileSystem), options->behaviour), &error);
    if (!host) {
        std::cerr << "vant-handset: " << error << "\n";
        return 1;
    }
    std::cout << host->SlavePath() << std::endl;

    int received = 0;
    while (sigwait(&signals, &received) != 0) {
    }
    host->Stop();
    return 0;
}
