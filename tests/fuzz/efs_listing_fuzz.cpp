// Feeds one reply to the single-request listing reader: every name it returns must be
// non-empty, hold no 0x00, fit a name field and come from inside the reply.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "efs/efs_replies.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A copy of exactly the input's size, so ASan sees any read past the reply.
    const std::vector<uint8_t> reply(data, data + size);
    const auto names = ReadEfsListingReply(reply);
    if (!names)
        return 0;
    size_t bytes = 0;
    for (const auto& name : *names) {
        if (name.empty() || name.size() > efsMaxNameBytes || name.find('\0') != std::string::npos)
            std::abort();
        bytes += name.size() + 1;
    }
    if (size < 7 || bytes > size - 7)
        std::abort();
    return 0;
}
