// The link's own cost on a fast line: fetching 16 MiB from the unpaced virtual handset through
// the link, over the time an ideal client takes for the same requests on the same pty in the
// same run (one request at a time, no threads, framing and parsing inline), the best of five
// turns each, taken in alternation so other load on the machine hits both. Goal: at most 1.9.
#include <algorithm>
#include <cstdio>

#include "bench_handset.h"
#include "efs/efs_operations.h"
#include "efs/efs_transfers.h"
#include "platform/serial_port.h"

using namespace bench;

namespace {

constexpr size_t fileSize = 16u * 1024 * 1024;
constexpr int turns = 5;
const char* const path = "/big";

// Reads path with the requests the link would send, framing, writing and cutting the replies
// itself. The number of bytes read, 0 on any failure.
uint64_t IdealFetch(const std::string& port)
{
    CSerialPort line;
    if (!line.Open(port, 115200))
        return 0;
    CSyncEvent never(EventReset::manual);
    CEfsFileRead read(path);
    std::vector<uint8_t> received(8192);
    for (;;) {
        const auto request = read.Request();
        if (!request)
            return 0;
        const std::vector<uint8_t> frame = Framed(*request);
        if (line.Write(frame.data(), frame.size(), 2000, never) != frame.size())
            return 0;
        size_t got = 0;
        while (got == 0 || received[got - 1] != frameFlag) {
            const PortReadResult r = line.Read(received.data() + got, received.size() - got, 2000, never);
            if (r.result != PortIoResult::ok || r.bytes == 0)
                return 0;
            got += r.bytes;
        }
        size_t length = got;
        if (DecodeFrame(received.data(), length) != linkStatusOk)
            return 0;
        const EfsStep step = read.Accept({received.data(), length});
        read.TakeData();
        if (step == EfsStep::stepFailed)
            return 0;
        if (step == EfsStep::stepDone)
            return read.BytesDone();
    }
}

}  // namespace

int main()
{
    BenchLink handset;
    if (!handset.Start(false)) {
        std::fprintf(stderr, "bench_fast_link: the handset did not come up\n");
        return 1;
    }
    handset.PutFile(path, Pattern(fileSize));
    double linkSeconds = 1e9, idealSeconds = 1e9;
    for (int turn = 0; turn < turns; ++turn) {
        if (turn > 0 && !handset.Connect()) {
            std::fprintf(stderr, "bench_fast_link: the link did not come up again\n");
            return 1;
        }
        uint64_t linkBytes = 0;
        const auto linkStart = Clock::now();
        const bool fetched = EfsReadFileInto(handset.port.get(), path, [&](std::span<const uint8_t> block) {
            linkBytes += block.size();
            return true;
        });
        linkSeconds = std::min(linkSeconds, Seconds(Clock::now() - linkStart));
        handset.port.reset();  // the pty is the ideal client's now

        const auto idealStart = Clock::now();
        const uint64_t idealBytes = IdealFetch(handset.host->SlavePath());
        idealSeconds = std::min(idealSeconds, Seconds(Clock::now() - idealStart));
        if (!fetched || linkBytes != fileSize || idealBytes != fileSize) {
            std::fprintf(stderr, "bench_fast_link: a fetch failed\n");
            return 1;
        }
    }
    std::printf("fast link: 16 MiB fetch through the link %.2f s, ideal client %.2f s, ratio %.2f (goal <= 1.9)\n",
                linkSeconds, idealSeconds, linkSeconds / idealSeconds);
    return 0;
}
