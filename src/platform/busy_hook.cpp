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
    BusyHook hook = installedHook;
    hook();
}

int WaitForAnyBusy(std::initializer_list<CSyncEvent*> events, uint32_t timeoutMs)
{
    if (!HookIsHere())
        return WaitForAny(events, timeoutMs);
    const uint32_t deadline = TickCount() + timeoutMs;
    for (;;) {
        const uint32_t now = TickCount();
        const uint32_t left =
            timeoutMs == waitInfinite ? waitInfinite
            : TickReached(now, deadline) ? 0
                                         : deadline - now;
        const int woken = WaitForAny(events, std::min(left, busyHookPeriodMs));
        if (woken != waitTimedOut || left <= busyHookPeriodMs)
            return woken;
        RunBusyHook();
    }
}

void SleepBusy(uint32_t ms)
{
    const uint32_t deadline = TickCount() + ms;
    for (;;) {
        const uint32_t now = TickCount();
        if (TickReached(now, deadline))
            return;
        const uint32_t left = deadline - now;
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(left, busyHookPeriodMs)));
        if (left > busyHookPeriodMs)
            RunBusyHook();
    }
}
