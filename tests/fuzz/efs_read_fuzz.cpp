// Feeds a sequence of handset replies to a block-wise file read. Input: replies, each led by
// two length bytes (little-endian). The data gathered may never exceed the announced total,
// and a finished read holds exactly that total.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "efs/efs_transfers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CEfsFileRead read("/file");
    std::span<const uint8_t> input(data, size);
    EfsStep step = EfsStep::stepContinue;
    while (input.size() >= 2 && step == EfsStep::stepContinue) {
        const size_t length = std::min<size_t>(size_t{input[0]} | (size_t{input[1]} << 8), input.size() - 2);
        const std::vector<uint8_t> reply(input.begin() + 2,
                                         input.begin() + 2 + static_cast<std::ptrdiff_t>(length));
        input = input.subspan(2 + length);
        if (!read.Request())
            std::abort();
        step = read.Accept(reply);
        if (read.Started() && read.BytesDone() > read.TotalLength())
            std::abort();
    }
    if (step == EfsStep::stepDone && read.TakeData().size() != read.TotalLength())
        std::abort();
    return 0;
}
