// The polling thread: detects the handset at once when the link opens, then re-detects it on a
// 600 ms timer whenever the link is idle, and at once when a failed command asks for it.
#include "link/phone_detector.h"

#include <mutex>

#include "platform/tick.h"

void CPhoneDetector::PollingThread()
{
    // The first tick is due at once (firstPollMs). Ticks keep a fixed period, as a periodic timer's would: a
    // run that outlasted the period is followed by the next one at once, not a period later.
    uint32_t nextTick = TickCount() + link.timing.firstPollMs;
    while (link.running.load()) {
        const uint32_t now = TickCount();
        const uint32_t waitMs = TickReached(now, nextTick) ? 0 : nextTick - now;
        const bool requested = link.statusRequestEvent.Wait(waitMs);
        if (!link.running.load())
            break;
        if (requested) {
            CollectPhoneInfo();
        } else {
            PollIfIdle();
            nextTick += link.timing.pollPeriodMs;
            if (const uint32_t after = TickCount(); TickReached(after, nextTick))
                nextTick = after;  // missed ticks coalesce into one, as timer messages do
        }
    }
    trace.Trace("Polling thread exiting\n");
}

void CPhoneDetector::PollIfIdle()
{
    if (!link.pollingEnabled.load() || link.queue.Count() != 0 ||
        TickElapsed(link.lastActivity.load(), TickCount()) <= link.timing.pollIdleMs)
        return;
    {
        std::lock_guard guard(link.cmdLock);
        if (link.cmdInProgress)
            return;
    }
    CollectPhoneInfo();
}
