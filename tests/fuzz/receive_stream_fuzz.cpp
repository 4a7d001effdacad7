// Feeds an arbitrary byte stream to the receive thread's cutter in chunks of varying size, and
// routes every packet it hands out as the receive thread does.
// Input: one request code for the routing, then chunks, each led by a byte c giving 1 + 9 * c
// bytes. While no stretch between flags outgrows the buffer's spare half (so nothing is ever
// discarded as noise), the packets must be exactly those a whole-stream reference cut gives.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

#include "link/current_command.h"
#include "link/frame_codec.h"
#include "link/receive_buffer.h"

namespace {

using Packet = std::vector<uint8_t>;

// The cut the buffer must make, on the whole stream at once: a segment opens at the stream
// start or just after a closing flag, and the next flag after its first byte closes it.
// Sets fits to false when a segment outgrows what the buffer keeps.
std::vector<Packet> ReferenceCut(std::span<const uint8_t> stream, bool& fits)
{
    std::vector<Packet> packets;
    fits = true;
    size_t start = 0;
    for (size_t i = 1; i < stream.size(); ++i) {
        if (stream[i] != frameFlag)
            continue;
        if (i - start > CReceiveBuffer::minimumFreeSpace)
            fits = false;
        Packet frame(stream.begin() + static_cast<std::ptrdiff_t>(start),
                     stream.begin() + static_cast<std::ptrdiff_t>(i + 1));
        size_t length = frame.size();
        if (length >= 4 && DecodeFrame(frame.data(), length) == linkStatusOk)
            packets.emplace_back(frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(length));
        start = i + 1;
        i = start;  // the byte after a closing flag opens the next segment, flag or not
    }
    if (stream.size() > start && stream.size() - start > CReceiveBuffer::minimumFreeSpace)
        fits = false;
    return packets;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const uint8_t requestCode = data[0];
    std::span<const uint8_t> input(data + 1, size - 1);

    auto buffer = std::make_unique<CReceiveBuffer>();
    CCurrentCommand current;
    auto record = std::make_shared<CDiagCommand>(encFramed);
    record->frame = {requestCode};
    std::vector<uint8_t> replyBuffer(CReceiveBuffer::capacity);
    record->sink = {replyBuffer.data(), replyBuffer.size(), 0};
    current.Set(record);

    std::vector<uint8_t> stream;
    std::vector<Packet> packets;
    while (!input.empty()) {
        const size_t wanted = std::min<size_t>(1 + 9 * size_t{input[0]}, input.size() - 1);
        auto chunk = input.subspan(1, wanted);
        input = input.subspan(1 + wanted);
        while (!chunk.empty()) {
            size_t freeSpace = 0;
            uint8_t* into = buffer->PrepareRead(freeSpace);
            if (freeSpace < CReceiveBuffer::minimumFreeSpace || freeSpace > CReceiveBuffer::capacity)
                std::abort();
            const size_t count = std::min(freeSpace, chunk.size());
            std::memcpy(into, chunk.data(), count);
            stream.insert(stream.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(count));
            chunk = chunk.subspan(count);
            buffer->Commit(count);
            buffer->CutFrames([&](const uint8_t* packet, size_t length) {
                if (packet == nullptr || length == 0 || length > CReceiveBuffer::capacity)
                    std::abort();
                packets.emplace_back(packet, packet + length);
                // Routing: the record takes the packet exactly when the matching rule says so,
                // and then its sender's buffer holds a copy of all of it.
                const bool matches = DiagReplyMatches(requestCode, packet, length);
                if (current.AcceptDiag(packet, length) != matches)
                    std::abort();
                if (matches && (record->ReplyLength() != length ||
                                std::memcmp(replyBuffer.data(), packet, length) != 0))
                    std::abort();
            });
            if (buffer->Unparsed() > CReceiveBuffer::capacity)
                std::abort();
        }
    }

    bool fits = true;
    const auto expected = ReferenceCut(stream, fits);
    if (fits && packets != expected)
        std::abort();
    if (!fits && packets.size() > expected.size() + 1)
        std::abort();
    return 0;
}
