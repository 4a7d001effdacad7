#include "link/diag_command.h"

#include <array>
#include <mutex>
#include <vector>

#include "link/frame_codec.h"

std::atomic<long> CDiagCommand::liveCount{0};

CDiagCommand::CDiagCommand(PayloadEncoding payloadEncoding) : encoding(payloadEncoding)
{
    liveCount.fetch_add(1, std::memory_order_relaxed);
}

CDiagCommand::~CDiagCommand()
{
    liveCount.fetch_sub(1, std::memory_order_relaxed);
}

long CDiagCommand::LiveCount()
{
    return liveCount.load(std::memory_order_relaxed);
}

LinkStatus CDiagCommand::BuildFrame(const uint8_t* payload, uint32_t length)
{
    if (payload == nullptr || length < 1 || length > frameMaxPayload)
        return linkStatusFail;
    if (encoding == encRaw) {
        frame.assign(payload, payload + length);
        return linkStatusOk;
    }
    // Encoded in a work area on the stack, so the frame's own storage is only as large as the
    // frame: a full-size buffer per command would be allocated and cleared each time.
    std::array<uint8_t, frameWorkAreaSize> work;
    const bool noOpeningFlag = !IsDownloadKind(linkKind);
    const size_t n = EncodeFrame(payload, length, work.data(), noOpeningFlag);
    if (n == 0)
        return linkStatusFail;
    frame.assign(work.data(), work.data() + n);
    request.assign(payload, payload + length);
    return linkStatusOk;
}

uint32_t NextCommandTag()
{
    static std::mutex tagLock;
    static uint32_t lastTag = 0;
    std::lock_guard guard(tagLock);
    return ++lastTag;
}
