#include "link/receive_buffer.h"

#include <cstring>

#include "link/frame_codec.h"

uint8_t* CReceiveBuffer::PrepareRead(size_t& freeSpace)
{
    if (capacity - end < minimumFreeSpace) {
        const size_t unparsed = end - start;
        if (unparsed > minimumFreeSpace) {
            start = end = 0;
        } else {
            std::memmove(data.data(), data.data() + start, unparsed);
            start = 0;
            end = unparsed;
        }
    }
    freeSpace = capacity - end;
    return data.data() + end;
}

void CReceiveBuffer::Commit(size_t count)
{
    end += count < capacity - end ? count : capacity - end;
}

void CReceiveBuffer::CutFrames(const PacketHandler& onPacket, const std::function<void()>& onDamaged)
{
    if (end - start < 4)
        return;
    // A flag at the unparsed start opens a frame; every later flag closes one.
    for (size_t i = start + 1; i < end; ++i) {
        if (data[i] != frameFlag)
            continue;
        size_t length = i - start + 1;
        uint8_t* frame = data.data() + start;
        start = i + 1;
        if (length >= 4) {
            const LinkStatus decoded = DecodeFrame(frame, length);
            if (decoded == linkStatusOk)
                onPacket(frame, length);
            else if (decoded == linkStatusBadCrc && onDamaged)
                onDamaged();
        }
        if (start < end)
            i = start;  // the next candidate starts here; a flag here opens it
        else
            break;
    }
}
