// Peak resident memory of console fetches of 1 MiB and 16 MiB: the real VANTFerrant runs
// "-g /big.bin DIR" against a virtual handset on a pty, and the peaks it reached (its maximum
// resident set, from wait4) are compared. A fetch streams to its file, so they differ by at
// most 2 MiB.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench_handset.h"
#include "sim/directory_file_system.h"

namespace fs = std::filesystem;

namespace {

// Peak resident set in bytes of one console fetch of a file of fileSize bytes; 0 on failure.
double FetchPeak(size_t fileSize)
{
    char pattern[] = "/tmp/vant-bench-XXXXXX";
    if (::mkdtemp(pattern) == nullptr)
        return 0;
    const fs::path work = pattern;
    fs::create_directories(work / "device");
    fs::create_directories(work / "pc");
    {
        // Released before the fork: the child's peak counts the pages it shares with this process.
        const auto data = bench::Pattern(fileSize);
        std::ofstream(work / "device" / "big.bin", std::ios::binary)
            .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    }

    auto files = sim::CDirectoryFileSystem::Open(work / "device");
    if (files)
        files->SetCapacity(64u * 1024 * 1024);
    auto host = files ? sim::CHandsetHost::Start(std::make_unique<sim::CHandsetModel>(std::move(files)))
                      : nullptr;
    if (!host) {
        std::fprintf(stderr, "bench_fetch_memory: the handset did not start\n");
        fs::remove_all(work);
        return 0;
    }
    const std::string port = host->SlavePath();
    const std::string into = (work / "pc").string();
    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::execl(VANTFERRANT_EXE, VANTFERRANT_EXE, port.c_str(), "-g", "/big.bin", into.c_str(),
                static_cast<char*>(nullptr));
        std::_Exit(127);
    }
    int status = 0;
    rusage usage{};
    const bool ran = child > 0 && ::wait4(child, &status, 0, &usage) == child;
    std::ifstream fetched(work / "pc" / "big.bin", std::ios::binary);
    const std::vector<uint8_t> back{std::istreambuf_iterator<char>(fetched), {}};
    fs::remove_all(work);
    if (!ran || back != bench::Pattern(fileSize)) {
        std::fprintf(stderr, "bench_fetch_memory: the fetch did not produce the file\n");
        return 0;
    }
    return static_cast<double>(usage.ru_maxrss) * 1024.0;  // ru_maxrss is in KiB
}

}  // namespace

int main()
{
    constexpr double mib = 1024.0 * 1024.0;
    const double small = FetchPeak(1024 * 1024);
    const double large = FetchPeak(16 * 1024 * 1024);
    if (small == 0 || large == 0)
        return 1;
    std::printf("fetch memory: peak resident %.1f MiB for 1 MiB, %.1f MiB for 16 MiB; "
                "difference %.1f MiB (goal: at most 2)\n",
                small / mib, large / mib, std::fabs(large - small) / mib);
    return 0;
}
