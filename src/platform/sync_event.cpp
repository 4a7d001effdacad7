// The event's state machine, the same on every system; the *_posix/*_win32 files give the
// system handle that mirrors it and the wait on several handles.
#include "platform/sync_event.h"

void CSyncEvent::Set()
{
    SetIfClear();
}

bool CSyncEvent::SetIfClear()
{
    std::lock_guard lock(mutex);
    if (signalled || handle == invalidHandle)
        return false;
    signalled = true;
    RaiseHandle();
    return true;
}

void CSyncEvent::Reset()
{
    std::lock_guard lock(mutex);
    if (signalled) {
        signalled = false;
        ClearHandle();
    }
}

bool CSyncEvent::IsSet() const
{
    std::lock_guard lock(mutex);
    return signalled;
}

bool CSyncEvent::Wait(uint32_t timeoutMs)
{
    return WaitForAny({this}, timeoutMs) == 0;
}

bool CSyncEvent::TryConsume()
{
    std::lock_guard lock(mutex);
    if (!signalled)
        return false;
    if (mode == EventReset::automatic) {
        signalled = false;
        ClearHandle();
    }
    return true;
}

uint32_t WaitTimeLeft(std::chrono::steady_clock::time_point deadline, uint32_t timeoutMs)
{
    if (timeoutMs == waitInfinite)
        return waitInfinite;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now()).count();
    return left <= 0 ? 0 : static_cast<uint32_t>(left);
}

int WaitForAny(std::initializer_list<CSyncEvent*> events, uint32_t timeoutMs)
{
    if (events.size() == 0 || events.size() > 8)
        return waitTimedOut;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int index = 0;
        for (CSyncEvent* event : events) {
            if (event->TryConsume())
                return index;
            ++index;
        }
        const uint32_t waitMs = WaitTimeLeft(deadline, timeoutMs);
        if (waitMs == 0)
            return waitTimedOut;
        // Another waiter may consume an auto-reset event between the wait and TryConsume();
        // the loop then simply waits for what remains of the time.
        if (!CSyncEvent::WaitOnHandles(events, waitMs))
            return waitTimedOut;
    }
}
