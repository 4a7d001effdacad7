// Feeds arbitrary bytes to DecodeFrame; a successful decode must re-encode to a frame that
// decodes to the same payload.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "link/frame_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> buffer(data, data + size);
    size_t length = buffer.size();
    if (DecodeFrame(buffer.data(), length) != linkStatusOk)
        return 0;
    if (length == 0 || length > size)
        std::abort();
    if (length > frameMaxPayload)
        return 0;
    std::vector<uint8_t> frame(frameWorkAreaSize);
    size_t framed = EncodeFrame(buffer.data(), length, frame.data(), true);
    size_t decoded = framed;
    if (DecodeFrame(frame.data(), decoded) != linkStatusOk || decoded != length ||
        std::memcmp(frame.data(), buffer.data(), length) != 0)
        std::abort();
    return 0;
}
