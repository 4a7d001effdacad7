// A bench of eight handsets against one: the real VANTFerrant loads the same 300 KB module onto
// throttled virtual handsets at 115200 on pseudo-terminals, first onto one handset, then onto
// eight in one several-port command. Printed: the eight's wall time against the one's (goal: at
// most 1.15) and the eight's peak resident memory against the one's (goal: at most 3).
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_handset.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t moduleBytes = 300 * 1024;

struct RunFigures {
    double seconds = 0;
    double peakBytes = 0;
    bool loaded = false;
};

void WriteFile(const fs::path& file, const std::vector<uint8_t>& data)
{
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

// Loads the module in moduleDir onto count fresh throttled handsets with one command.
RunFigures LoadOnto(size_t count, const fs::path& moduleDir)
{
    std::vector<std::unique_ptr<sim::CHandsetHost>> hosts;
    std::string ports;
    for (size_t i = 0; i < count; ++i) {
        sim::SimBehaviour behaviour;
        behaviour.throttle = true;
        auto files = std::make_unique<sim::CMemoryFileSystem>();
        files->SetCapacity(8u * 1024 * 1024);
        hosts.push_back(sim::CHandsetHost::Start(
            std::make_unique<sim::CHandsetModel>(std::move(files), behaviour)));
        if (!hosts.back())
            return {};
        ports += (ports.empty() ? "" : ",") + hosts.back()->SlavePath();
    }
    const std::string dir = moduleDir.string();
    const auto started = bench::Clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::execl(VANTFERRANT_EXE, VANTFERRANT_EXE, ports.c_str(), "-l", dir.c_str(), "bench",
                static_cast<char*>(nullptr));
        std::_Exit(127);
    }
    int status = 0;
    rusage usage{};
    const bool ran = child > 0 && ::wait4(child, &status, 0, &usage) == child;
    RunFigures figures;
    figures.seconds = bench::Seconds(bench::Clock::now() - started);
    figures.peakBytes = static_cast<double>(usage.ru_maxrss) * 1024.0;  // ru_maxrss is in KiB
    // One port keeps exit status 0 whatever happened: every handset's module is checked.
    figures.loaded = ran && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    for (auto& host : hosts) {
        std::vector<uint8_t> data;
        host->WithFileSystem([&data](sim::CSimFileSystem& files) {
            if (const auto path = sim::ParseDevicePath("/bench/bench.mod"))
                files.ReadFile(*path, data);
        });
        figures.loaded = figures.loaded && data == bench::Pattern(moduleBytes);
    }
    return figures;
}

}  // namespace

int main()
{
    char pattern[] = "/tmp/vant-bench-XXXXXX";
    if (::mkdtemp(pattern) == nullptr)
        return 1;
    const fs::path module = fs::path(pattern) / "bench";
    fs::create_directories(module);
    for (const char* name : {"bench.mif", "bench.sig", "bench.bar"})
        WriteFile(module / name, bench::Pattern(64));
    WriteFile(module / "bench.mod", bench::Pattern(moduleBytes));

    const RunFigures one = LoadOnto(1, module);
    const RunFigures eight = LoadOnto(8, module);
    fs::remove_all(pattern);
    if (!one.loaded || !eight.loaded || one.seconds <= 0 || one.peakBytes <= 0) {
        std::fprintf(stderr, "bench_fleet: a load failed\n");
        return 1;
    }
    constexpr double mib = 1024.0 * 1024.0;
    std::printf("fleet: 8 handsets %.1f s against 1 handset %.1f s: ratio %.3f (goal: at most 1.15); "
                "peak resident %.1f MiB against %.1f MiB: ratio %.2f (goal: at most 3)\n",
                eight.seconds, one.seconds, eight.seconds / one.seconds, eight.peakBytes / mib,
                one.peakBytes / mib, eight.peakBytes / one.peakBytes);
    return 0;
}
