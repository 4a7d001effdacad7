#include "platform/busy_hook.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>

#include "platform/tick.h"

namespace {

std::mutex hookLock;
BusyHook installedHook;
std::thread::id hookThread;
// When the hook last ran; only the hook's thread reads or writes it.
uint32_t lastHookRun = 0;

bool HookIsHere()
{
    std::lock_guard<std::mutex> guard(hookLock);
    return installedHook && hookThread == std::this_thread::get_id();
}

}  // namespace

void SetBusyHook(BusyHook hook)
{
    std::lock_guard<std::mutex> guard(hookLock);
    installedHook = std::move(hook);
    hookThread = std::this_thread::get_id();
}

void RunBusyHook()
{
    // Only the installing thread reads and replaces the hook, so it may run unlocked: the hook
    // itself may install or remove hooks.
    if (!HookIsHere())
        return;
    lastHookRun = TickCount();
    BusyHook hook = installedHook;
    hook();
}

namespace {

// Milliseconds until the hook is due again, running it first when it is due now. A run of quick
// waits, each shorter than a period, still calls the hook once a period has passed in all.
uint32_t RunHookIfDue()
{
    const uint32_t sinceLast = TickElapsed(lastHookRun, TickCount());
    if (sinceLast < busyHookPeriodMs)
        return busyHookPeriodMs - sinceLast;
    RunBusyHook();
    return busyHookPeriodMs;
}

}  // namespace

int WaitForAnyBusy(std::initializer_list<CSyncEvent*> events, uint32_t timeoutMs)
{
    if (!HookIsHere())
        return WaitForAny(events, timeoutMs);
    const uint32_t deadline = TickCount() + timeoutMs;
    for (;;) {
        const uint32_t untilHook = RunHookIfDue();
        const uint32_t now = TickCount();
        const uint32_t left =
            timeoutMs == waitInfinite ? waitInfinite
            : TickReached(now, deadline) ? 0
                                         : deadline - now;
        const int woken = WaitForAny(events, std::min(left, untilHook));
        if (woken != waitTimedOut || left <= untilHook)
            return woken;
    }
}

void SleepBusy(uint32_t ms)
{
    const bool hookHere = HookIsHere();
    const uint32_t deadline = TickCount() + ms;
    for (;;) {
        const uint32_t untilHook = hookHere ? RunHookIfDue() : ms;
        const uint32_t now = TickCount();
        if (TickReached(now, deadline))
            return;
        const uint32_t left = deadline - now;
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(left, untilHook)));
    }
}
