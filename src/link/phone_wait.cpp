// Waiting for the handset to reach a status or mode: the waiter wakes as soon as detection
// changes something, and still counts whole periods for its caller's dots and limits. The test
// is also made at every busy-hook slice, so a predicate that sees something outside the link (a
// stop request) ends the wait within a slice.
#include "link/phone_detector.h"

#include <algorithm>

#include "platform/busy_hook.h"
#include "platform/tick.h"

bool CPhoneDetector::WaitForPhone(const std::function<bool()>& reached, uint32_t periods,
                                  const std::function<void()>& onPeriod, uint32_t periodMs)
{
    uint32_t periodEnd = TickCount() + periodMs;
    for (uint32_t done = 0;;) {
        // Cleared before the test, so a change made after it wakes the wait below.
        link.phoneStateEvent.Reset();
        if (reached())
            return true;
        if (done == periods)
            return false;
        const uint32_t now = TickCount();
        if (!TickReached(now, periodEnd)) {
            WaitForAnyBusy({&link.phoneStateEvent}, std::min(periodEnd - now, busyHookPeriodMs));
            continue;
        }
        ++done;
        periodEnd += periodMs;
        if (onPeriod)
            onPeriod();
    }
}
