// Feeds a sequence of handset replies to a directory iteration. Input: replies, each led by
// one length byte. Stored names must be usable paths that fit a name field, and the iteration
// must never run past its entry bound.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "efs/efs_paths.h"
#include "efs/efs_transfers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CEfsIteration iteration(efsIterateFiles, "/dir");
    std::span<const uint8_t> input(data, size);
    while (!input.empty()) {
        const size_t length = std::min<size_t>(input[0], input.size() - 1);
        const auto reply = input.subspan(1, length);
        input = input.subspan(1 + length);
        if (!iteration.Request())
            std::abort();
        if (iteration.Accept(reply) != EfsStep::stepContinue)
            break;
    }
    if (iteration.Names().size() > efsMaxListingEntries)
        std::abort();
    for (const auto& name : iteration.Names())
        if (name.size() > efsMaxNameBytes || !IsUsableEntryName(name) ||
            name.find('\0') != std::string::npos)
            std::abort();
    return 0;
}
