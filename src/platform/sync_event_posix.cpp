// Events on eventfd: the descriptor's counter is non-zero exactly while the event is set, and
// the set/clear state itself lives under a mutex so tests-and-sets are atomic.
#include "platform/sync_event.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>

CSyncEvent::CSyncEvent(EventReset resetMode, bool initiallySet)
    : mode(resetMode), handle(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
    if (initiallySet)
        Set();
}

CSyncEvent::~CSyncEvent()
{
    if (handle >= 0)
        close(handle);
}

void CSyncEvent::Set()
{
    SetIfClear();
}

bool CSyncEvent::SetIfClear()
{
    std::lock_guard lock(mutex);
    if (signalled || handle < 0)
        return false;
    signalled = true;
    const uint64_t one = 1;
    while (write(handle, &one, sizeof one) < 0 && errno == EINTR) {
    }
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

void CSyncEvent::ClearHandle()
{
    uint64_t count = 0;
    while (read(handle, &count, sizeof count) < 0 && errno == EINTR) {
    }
}

int WaitForAny(std::initializer_list<CSyncEvent*> events, uint32_t timeoutMs)
{
    using Clock = std::chrono::steady_clock;
    std::array<pollfd, 8> fds{};
    if (events.size() == 0 || events.size() > fds.size())
        return waitTimedOut;
    nfds_t count = 0;
    for (CSyncEvent* event : events)
        fds[count++] = pollfd{event->PollHandle(), POLLIN, 0};

    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int index = 0;
        for (CSyncEvent* event : events) {
            if (event->TryConsume())
                return index;
            ++index;
        }
        int waitMs = -1;
        if (timeoutMs != waitInfinite) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0)
                return waitTimedOut;
            waitMs = static_cast<int>(left);
        }
        // Another waiter may consume an auto-reset event between poll() and TryConsume();
        // the loop then simply waits for what remains of the time.
        if (poll(fds.data(), count, waitMs) < 0 && errno != EINTR)
            return waitTimedOut;
    }
}
