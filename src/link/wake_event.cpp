#include "link/wake_event.h"

#include <chrono>

void CWakeEvent::Set()
{
    bool wake = false;
    {
        std::lock_guard guard(group.lock);
        if (signalled)
            return;
        signalled = true;
        wake = group.sleepers > 0;
    }
    // Notified outside the lock, so the woken thread does not block on it at once.
    if (wake)
        group.changed.notify_all();
}

void CWakeEvent::Reset()
{
    std::lock_guard guard(group.lock);
    signalled = false;
}

bool CWakeEvent::IsSet()
{
    std::lock_guard guard(group.lock);
    return signalled;
}

int CWakeGroup::TakeFirstSet(std::initializer_list<CWakeEvent*> events)
{
    int index = 0;
    for (CWakeEvent* event : events) {
        if (event->signalled) {
            if (event->mode == EventReset::automatic)
                event->signalled = false;
            return index;
        }
        ++index;
    }
    return waitTimedOut;
}

int CWakeGroup::WaitAny(std::initializer_list<CWakeEvent*> events, uint32_t timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::unique_lock guard(lock);
    // An event set as the time runs out still counts: the last look comes after the wait.
    for (bool timedOut = false;;) {
        if (const int index = TakeFirstSet(events); index != waitTimedOut || timedOut)
            return index;
        ++sleepers;
        if (timeoutMs == waitInfinite)
            changed.wait(guard);
        else
            timedOut = changed.wait_until(guard, deadline) == std::cv_status::timeout;
        --sleepers;
    }
}
