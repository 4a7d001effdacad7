// What the link costs on top of the wire: the median SendSync round trip against an echoing
// handset on a pty, over the median bare write/read round trip on the same pty (goal: at most
// 2), and the CPU an idle open link uses while its polling thread keeps checking the handset
// (goal: under 1% of one core).
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "link/diag_port.h"
#include "link/frame_codec.h"
#include "platform/serial_port.h"
#include "pty_peer.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int roundTrips = 2000;
constexpr int idleSeconds = 10;

// Answers the status request as a diagnostic-mode handset and echoes everything else.
Bytes Answer(const PeerRequest& request)
{
    if (request.raw || request.payload.empty() || request.openingFlag)
        return {};
    if (request.payload[0] == 0x0C) {
        Bytes status(48, 0);
        status[0] = 0x0C;
        return Frame(status);
    }
    if (request.payload[0] == 0x5C)
        return Frame({0x5C, 0x01, 0x01});
    return Frame(request.payload);
}

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

bool WaitReady(CDiagPort& link)
{
    const LinkTiming& timing = link.Timing();
    for (uint32_t i = 0; i < timing.connectPollCount; ++i) {
        if (link.GetPhoneStatus() == phoneStatusReady)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(timing.connectPollMs));
    }
    return link.GetPhoneStatus() == phoneStatusReady;
}

const Bytes request{0x59, 0x0C, 0x00, 0x01, 0x02, 0x03, 0x04, 0x05};

}  // namespace

int main()
{
    CPtyPair pty;
    CScriptedPeer peer(pty, Answer);

    std::vector<Clock::duration> linkSamples;
    double idleCpuFraction = 0;
    {
        CDiagPort link;
        if (link.CreateEvents() != linkStatusOk || link.OpenPort(pty.SlavePath()) != linkStatusOk ||
            !WaitReady(link)) {
            std::fprintf(stderr, "bench_link_overhead: the link did not come up\n");
            return 1;
        }
        std::vector<uint8_t> reply(64);
        for (int i = 0; i < roundTrips; ++i) {
            int16_t length = static_cast<int16_t>(reply.size());
            const auto start = Clock::now();
            const LinkStatus status = link.SendSync(static_cast<uint32_t>(request.size()),
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
    }

    // The same exchange without the link: frame, write, read until the reply's closing flag.
    std::vector<Clock::duration> bareSamples;
    CSerialPort port;
    if (!port.Open(pty.SlavePath(), 115200)) {
        std::fprintf(stderr, "bench_link_overhead: cannot reopen the pty\n");
        return 1;
    }
    CSyncEvent never(EventReset::manual);
    const Bytes frame = Frame(request);
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
