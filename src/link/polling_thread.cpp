// The polling thread: re-detects the handset on a 600 ms timer whenever the link is idle, and
// at once when a failed command asks for it.
#include "link/diag_port.h"

#include <mutex>

#include "platform/tick.h"

void CDiagPort::PollingThread()
{
    uint32_t nextTick = TickCount() + timing.pollPeriodMs;
    while (running.load()) {
        const uint32_t now = TickCount();
        const uint32_t waitMs = TickReached(now, nextTick) ? 0 : nextTick - now;
        const bool requested = statusRequestEvent.Wait(waitMs);
        if (!running.load())
            break;
        if (requested) {
            CollectPhoneInfo();
        } else {
            PollIfIdle();
            nextTick = TickCount() + timing.pollPeriodMs;
        }
    }
}

void CDiagPort::PollIfIdle()
{
    if (!pollingEnabled.load() || queue.Count() != 0 ||
        TickElapsed(lastActivity.load(), TickCount()) <= timing.pollIdleMs)
        return;
    {
        std::lock_guard guard(cmdLock);
        if (cmdInProgress)
            return;
    }
    CollectPhoneInfo();
}
