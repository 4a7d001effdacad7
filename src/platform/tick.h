// A 32-bit millisecond tick from the monotonic clock. It wraps after about 49.7 days, so
// moments are compared only through the helpers below, which stay correct across the wrap.
#pragma once

#include <cstdint>

uint32_t TickCount();

// Milliseconds from `since` to `now`, correct across one wrap of the counter.
constexpr uint32_t TickElapsed(uint32_t since, uint32_t now) { return now - since; }

// True once `now` has reached `deadline`; both must lie within 2^31 ms of each other.
constexpr bool TickReached(uint32_t now, uint32_t deadline)
{
    return static_cast<int32_t>(now - deadline) >= 0;
}
