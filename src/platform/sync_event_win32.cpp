// Events on Win32: a manual-reset system event mirrors the set/clear state; auto-reset is done
// by the waiter that consumes the event.
#include "platform/sync_event.h"

#include <windows.h>

#include <array>

namespace {

HANDLE Native(std::intptr_t handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

CSyncEvent::CSyncEvent(EventReset resetMode, bool initiallySet) : mode(resetMode)
{
    HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (event != nullptr)
        handle = reinterpret_cast<std::intptr_t>(event);
    if (initiallySet)
        Set();
}

CSyncEvent::~CSyncEvent()
{
    if (handle != invalidHandle)
        ::CloseHandle(Native(handle));
}

void CSyncEvent::RaiseHandle()
{
    ::SetEvent(Native(handle));
}

void CSyncEvent::ClearHandle()
{
    ::ResetEvent(Native(handle));
}

bool CSyncEvent::WaitOnHandles(std::initializer_list<CSyncEvent*> events, uint32_t timeoutMs)
{
    std::array<HANDLE, 8> handles{};
    DWORD count = 0;
    for (CSyncEvent* event : events)
        handles[count++] = Native(event->handle);
    const DWORD waitMs = timeoutMs == waitInfinite ? INFINITE : timeoutMs;
    return ::WaitForMultipleObjects(count, handles.data(), FALSE, waitMs) != WAIT_FAILED;
}
