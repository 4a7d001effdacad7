#include "link/wake_event.h"

#include <chrono>

void CWakeEvent::Set()
{
    bool wake = false;
    {
        std::lock_guard guard(lock);
        if (signalled)
            return;
        signalled = true;
        wake = sleepers > 0;
    }
    // Notified outside the lock, so the woken thread does not block on it at once.
    if (wake)
        changed.notify_all();
}

void CWakeEvent::Reset()
{
    std::lock_guard guard(lock);
    signalled = false;
}

bool CWakeEvent::IsSet()
{
    std::lock_guard guard(lock);
    return signalled;
}

bool CWakeEvent::Wait(uint32_t timeoutMs)
{
    std::unique_lock guard(lock);
    if (!signalled) {
        ++sleepers;
        const auto isSet = [this] { return signalled; };
        if (timeoutMs == waitInfinite)
            changed.wait(guard, isSet);
        else
            changed.wait_for(guard, std::chrono::milliseconds(timeoutMs), isSet);
        --sleepers;
        if (!signalled)
            return false;
    }
    if (mode == EventReset::automatic)
        signalled = false;
    return true;
}
