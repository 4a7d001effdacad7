// Peak resident memory of a console fetch of a 1 MiB file: the real VANTFerrant runs
// "-g /big.bin DIR" against a virtual handset on a pty, and the peak it reached (its maximum
// resident set, from wait4) is set against the file size plus 16 MiB (goal: at most 1).
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench_handset.h"
#include "sim/directory_file_system.h"

namespace fs = std::filesystem;

int main()
{
    constexpr size_t fileSize = 1024 * 1024;
    char pattern[] = "/tmp/vant-bench-XXXXXX";
    if (::mkdtemp(pattern) == nullptr)
        return 1;
    const fs::path work = pattern;
    fs::create_directories(work / "device");
    fs::create_directories(work / "pc");
    const auto data = bench::Pattern(fileSize);
    std::ofstream(work / "device" / "big.bin", std::ios::binary)
        .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));

    auto files = sim::CDirectoryFileSystem::Open(work / "device");
    auto host = files ? sim::CHandsetHost::Start(std::make_unique<sim::CHandsetModel>(std::move(files)))
                      : nullptr;
    if (!host) {
        std::fprintf(stderr, "bench_fetch_memory: the handset did not start\n");
        return 1;
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
    if (!ran || back != data) {
        std::fprintf(stderr, "bench_fetch_memory: the fetch did not produce the file\n");
        return 1;
    }
    const double peak = static_cast<double>(usage.ru_maxrss) * 1024.0;  // ru_maxrss is in KiB
    const double goal = fileSize + 16.0 * 1024 * 1024;
    std::printf("fetch memory: peak resident %.1f MiB for a 1 MiB fetch / (file + 16 MiB) = %.3f\n",
                peak / (1024.0 * 1024.0), peak / goal);
    return 0;
}
