// What the link costs on top of the wire: the median SendSync round trip of a status request
// against the unpaced virtual handset on a pty, over the median bare write/read round trip on the same pty (goal: at most
// 2), and the CPU an idle open link uses while its polling thread keeps checking the handset
// (goal: under 1% of one core).
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "bench_handset.h"
#include "link/frame_codec.h"
#include "platform/serial_port.h"

namespace {

using bench::Clock;

constexpr int roundTrips = 2000;
constexpr int idleSeconds = 10;

double MedianMicroseconds(std::vector<Clock::duration>& samples)
{
    std::sort(samples.begin(), samples.end());
    return std::chrono::duration<double, std::micro>(samples[samples.size() / 2]).count();
}

double ProcessCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

const std::vector<uint8_t> request{0x0C};

}  // namespace

int main()
{
    bench::BenchLink handset;
    std::vector<Clock::duration> linkSamples;
    double idleCpuFraction = 0;
    {
        if (!handset.Start(false)) {
            std::fprintf(stderr, "bench_link_overhead: the link did not come up\n");
            return 1;
        }
        std::vector<uint8_t> reply(64);
        for (int i = 0; i < roundTrips; ++i) {
            int16_t length = static_cast<int16_t>(reply.size());
            const auto start = Clock::now();
            const LinkStatus status = handset.port->SendSync(static_cast<uint32_t>(request.size()),
                                                    request.data(), cmdTypeDiag, 0, 2000,
                                                    &length, reply.data());
            linkSamples.push_back(Clock::now() - start);
            if (status != linkStatusOk) {
                std::fprintf(stderr, "bench_link_overhead: SendSync failed (%08X)\n",
                             static_cast<unsigned>(status));
                return 1;
            }
        }

        const double cpuBefore = ProcessCpuSeconds();
        const auto wallBefore = Clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
        const double cpu = ProcessCpuSeconds() - cpuBefore;
        const double wall = std::chrono::duration<double>(Clock::now() - wallBefore).count();
        idleCpuFraction = cpu / wall;
        handset.port.reset();
    }

    // The same exchange without the link: frame, write, read until the reply's closing flag.
    std::vector<Clock::duration> bareSamples;
    CSerialPort port;
    if (!port.Open(handset.host->SlavePath(), 115200)) {
        std::fprintf(stderr, "bench_link_overhead: cannot reopen the pty\n");
        return 1;
    }
    CSyncEvent never(EventReset::manual);
    const std::vector<uint8_t> frame = bench::Framed(request);
    std::vector<uint8_t> received(4096);
    for (int i = 0; i < roundTrips; ++i) {
        const auto start = Clock::now();
        if (port.Write(frame.data(), frame.size(), 2000, never) != frame.size())
            return 1;
        size_t got = 0;
        while (got == 0 || received[got - 1] != frameFlag) {
            const PortReadResult read = port.Read(received.data() + got, received.size() - got, 2000, never);
            if (read.result != PortIoResult::ok)
                return 1;
            got += read.bytes;
        }
        bareSamples.push_back(Clock::now() - start);
    }

    const double linkMedian = MedianMicroseconds(linkSamples);
    const double bareMedian = MedianMicroseconds(bareSamples);
    std::printf("link overhead: SendSync median %.1f us, bare pty median %.1f us, "
                "ratio %.2f (goal <= 2)\n",
                linkMedian, bareMedian, linkMedian / bareMedian);
    std::printf("idle link: %.3f%% of one core over %d s (goal < 1%%)\n", idleCpuFraction * 100,
                idleSeconds);
    return 0;
}
