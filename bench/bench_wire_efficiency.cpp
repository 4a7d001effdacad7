// Transfers against a handset that sends its replies at the line rate, 10 bits a byte: the time
// a fetch, a write and a 1,000-entry listing take over the ideal time of the bytes they put on
// the wire both ways (goal for the transfers: at most 1.10). Then a 300-entry listing against a
// handset that takes 250 ms over every request, over entries x delay (goal: at most 1.5).
#include <cstdio>
#include <functional>
#include <string>

#include "bench_handset.h"
#include "efs/efs_operations.h"

using namespace bench;

namespace {

bool Measure(BenchLink& link, const char* what, const std::function<bool()>& operation)
{
    const uint64_t before = link.WireBytes();
    const auto started = Clock::now();
    const bool ok = operation();
    const double elapsed = Seconds(Clock::now() - started);
    const uint64_t bytes = link.WireBytes() - before;
    const uint32_t baud = link.host->LineRate();
    if (!ok || baud == 0) {
        std::fprintf(stderr, "bench_wire_efficiency: %s failed\n", what);
        return false;
    }
    const double ideal = static_cast<double>(bytes) * 10.0 / baud;
    std::printf("wire efficiency: %-22s %8llu wire bytes at %u baud, %.2f s / ideal %.2f s = %.3f\n",
                what, static_cast<unsigned long long>(bytes), baud, elapsed, ideal, elapsed / ideal);
    return true;
}

// Each listing step outlasts its 200 ms reply wait: the late reply must still answer it, without
// a second request queueing up behind it.
bool SlowListing()
{
    constexpr int entries = 300;
    constexpr auto delay = std::chrono::milliseconds(250);
    sim::SimBehaviour behaviour;
    behaviour.replyDelay = delay;
    BenchLink slow;
    if (!slow.Start(behaviour, std::make_unique<sim::CMemoryFileSystem>())) {
        std::fprintf(stderr, "bench_wire_efficiency: the slow handset did not come up\n");
        return false;
    }
    slow.MakeDir("/many");
    for (int i = 0; i < entries; ++i)
        slow.PutFile("/many/entry_" + std::to_string(i), {});
    EfsNameList names;
    const auto started = Clock::now();
    const bool ok = EfsListFiles(slow.port.get(), "/many", &names) && names.size() == entries;
    const double elapsed = Seconds(Clock::now() - started);
    if (!ok) {
        std::fprintf(stderr, "bench_wire_efficiency: the slow listing failed\n");
        return false;
    }
    const double ideal = entries * std::chrono::duration<double>(delay).count();
    std::printf("slow handset: %d-entry listing at %lld ms a request, %.2f s / %.2f s = %.3f\n", entries,
                static_cast<long long>(delay.count()), elapsed, ideal, elapsed / ideal);
    return true;
}

}  // namespace

int main()
{
    BenchLink link;
    if (!link.Start(true)) {
        std::fprintf(stderr, "bench_wire_efficiency: the handset did not come up\n");
        return 1;
    }
    bool ok = true;
    for (const size_t size : {size_t{64} * 1024, size_t{1024} * 1024}) {
        const auto data = Pattern(size);
        const std::string name = "/f" + std::to_string(size);
        const std::string label = std::to_string(size / 1024) + " KiB";
        ok &= Measure(link, (label + " write").c_str(), [&] {
            return EfsWriteFile(link.port.get(), name, efsDefaultWriteMode, efsDefaultFileAttributes,
                                data.data(), data.size());
        });
        ok &= Measure(link, (label + " fetch").c_str(), [&] {
            const auto back = EfsReadFile(link.port.get(), name);
            return back && *back == data;
        });
    }
    link.MakeDir("/many");
    for (int i = 0; i < 1000; ++i)
        link.PutFile("/many/entry_" + std::to_string(i), {});
    ok &= Measure(link, "1000-entry listing", [&] {
        EfsNameList names;
        return EfsListFiles(link.port.get(), "/many", &names) && names.size() == 1000;
    });
    ok &= SlowListing();
    return ok ? 0 : 1;
}
