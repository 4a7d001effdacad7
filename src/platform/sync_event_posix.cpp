// Events on eventfd: the descriptor's counter is non-zero exactly while the event is set.
#include "platform/sync_event.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <array>
#include <cerrno>

CSyncEvent::CSyncEvent(EventReset resetMode, bool initiallySet)
    : mode(resetMode), handle(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
    if (initiallySet)
        Set();
}

CSyncEvent::~CSyncEvent()
{
    if (handle != invalidHandle)
        close(Descriptor());
}

void CSyncEvent::RaiseHandle()
{
    const uint64_t one = 1;
    while (write(Descriptor(), &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void CSyncEvent::ClearHandle()
{
    uint64_t count = 0;
    while (read(Descriptor(), &count, sizeof count) < 0 && errno == EINTR) {
    }
}

bool CSyncEvent::WaitOnHandles(std::initializer_list<CSyncEvent*> events, uint32_t timeoutMs)
{
    std::array<pollfd, 8> fds{};
    nfds_t count = 0;
    for (CSyncEvent* event : events)
        fds[count++] = pollfd{event->Descriptor(), POLLIN, 0};
    const int waitMs = timeoutMs == waitInfinite ? -1 : static_cast<int>(timeoutMs);
    return poll(fds.data(), count, waitMs) >= 0 || errno == EINTR;
}
