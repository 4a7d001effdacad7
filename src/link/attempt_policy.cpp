#include "link/attempt_policy.h"

#include <algorithm>

namespace {

constexpr uint32_t overdueSlackMs = 50;
constexpr uint32_t slowestTrustedMs = 5000;

}  // namespace

uint32_t AttemptsFor(uint32_t replyTimeoutMs, const LinkTiming& timing)
{
    return replyTimeoutMs >= timing.singleAttemptMs ? 1 : defaultAttempts;
}

uint32_t OverdueAfterMs(uint32_t slowestRecentMs)
{
    return 2 * std::min(slowestRecentMs, slowestTrustedMs) + overdueSlackMs;
}

uint32_t OverdueForAttemptMs(uint32_t slowestRecentMs, uint32_t replyTimeoutMs)
{
    return std::min(OverdueAfterMs(slowestRecentMs), std::max<uint32_t>(2 * replyTimeoutMs - 1, 1));
}
