#include "sim/request_cutter.h"

#include <algorithm>

#include "link/frame_codec.h"

namespace sim {

void CRequestCutter::Append(const uint8_t* bytes, size_t count)
{
    pending.insert(pending.end(), bytes, bytes + count);
    if (pending.size() > maxPending) {
        // Keep only what follows the last flag: anything before it can no longer complete.
        auto lastFlag = std::find(pending.rbegin(), pending.rend(), frameFlag);
        if (lastFlag == pending.rend() || static_cast<size_t>(lastFlag - pending.rbegin()) >= maxPending)
            pending.clear();
        else
            pending.erase(pending.begin(), lastFlag.base() - 1);
    }
}

std::optional<std::vector<uint8_t>> CRequestCutter::NextFrame()
{
    const size_t searchFrom = (!pending.empty() && pending[0] == frameFlag) ? 1 : 0;
    auto flag = std::find(pending.begin() + static_cast<long>(std::min(searchFrom, pending.size())),
                          pending.end(), frameFlag);
    if (flag == pending.end())
        return std::nullopt;
    std::vector<uint8_t> frame(pending.begin(), flag + 1);
    pending.erase(pending.begin(), flag + 1);
    return frame;
}

std::optional<std::string> CRequestCutter::NextLine()
{
    auto end = std::find(pending.begin(), pending.end(), uint8_t{'\r'});
    if (end == pending.end())
        return std::nullopt;
    std::string line;
    for (auto it = pending.begin(); it != end; ++it)
        if (*it >= 0x20 && *it < 0x7F)
            line.push_back(static_cast<char>(*it));
    pending.erase(pending.begin(), end + 1);
    return line;
}

}  // namespace sim
