// While the main thread blocks on the handset, a window must still paint and answer the window
// manager. The front end installs a hook on its own thread; every wait that thread makes through
// the helpers below calls the hook at least every busyHookPeriodMs. Waits on other threads (the
// link's own) never call it.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>

#include "platform/sync_event.h"

constexpr uint32_t busyHookPeriodMs = 50;

using BusyHook = std::function<void()>;

// Installs the hook for the calling thread; an empty function removes it.
void SetBusyHook(BusyHook hook);

// Runs the hook when one is installed for the calling thread.
void RunBusyHook();

// WaitForAny, cut into slices with the hook called between them on the hook's thread.
int WaitForAnyBusy(std::initializer_list<CSyncEvent*> events, uint32_t timeoutMs);

// Sleeps for ms, calling the hook between slices on the hook's thread.
void SleepBusy(uint32_t ms);
