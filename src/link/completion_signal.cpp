#include "link/completion_signal.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/busy_hook.h"

namespace {
constexpr auto spinBeforeSleep = std::chrono::microseconds(50);
}  // namespace

void CCompletionSignal::Notify()
{
    // A sender between its look at the flag and its sleep holds the lock: taking it here means
    // the notification cannot fall in that gap.
    { std::lock_guard guard(lock); }
    changed.notify_all();
}

CCompletionSignal::Woken CCompletionSignal::Wait(const CDiagCommand& record,
                                                  const std::atomic<bool>& writerEnded, uint32_t waitMs)
{
    using Clock = std::chrono::steady_clock;
    const auto started = Clock::now();
    const auto deadline = started + std::chrono::milliseconds(waitMs);
    // A reply on a fast line comes within tens of microseconds: looking again for that long,
    // giving the processor away between looks, spares the sender a sleep and a wake-up that
    // cost as much again on an idle machine.
    while (Clock::now() - started < spinBeforeSleep) {
        if (record.CompletionSet())
            return Woken::completed;
        std::this_thread::yield();
    }
    for (;;) {
        // Runs the window's hook when it is due (and nothing else), never under the lock: the
        // hook may send commands of its own.
        SleepBusy(0);
        const auto sliceEnd = std::min(deadline, Clock::now() + std::chrono::milliseconds(busyHookPeriodMs));
        std::unique_lock guard(lock);
        changed.wait_until(guard, sliceEnd, [&] { return record.CompletionSet() || writerEnded.load(); });
        if (record.CompletionSet())
            return Woken::completed;
        if (writerEnded.load())
            return Woken::writerEnded;
        if (Clock::now() >= deadline)
            return Woken::timedOut;
    }
}
