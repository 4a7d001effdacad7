// Feeds one reply to the fixed-layout readers (attributes, space, status): a reader may succeed
// only on a good EFS reply that holds all of its fields.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "efs/efs_replies.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<uint8_t> reply(data, data + size);
    const bool good = size >= 3 && reply[0] == 0x59 && reply[2] == 0;
    if (IsGoodEfsReply(reply) != good)
        std::abort();
    if (ReadEfsAttributesReply(reply) && !(good && size >= 15))
        std::abort();
    if (ReadEfsSpaceReply(reply) && !(good && size >= 11))
        std::abort();
    return 0;
}
