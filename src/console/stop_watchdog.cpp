#include "console/stop_watchdog.h"

#include <utility>

#include "platform/stop_request.h"

CStopWatchdog::CStopWatchdog(std::function<bool()> isArmed, std::function<void()> hung,
                             std::chrono::milliseconds quietTime, std::chrono::milliseconds period)
    : armed(std::move(isArmed)), onHung(std::move(hung)), quiet(quietTime), checkPeriod(period)
{
    thread = std::thread([this] { Run(); });
}

CStopWatchdog::~CStopWatchdog()
{
    {
        std::lock_guard lock(mutex);
        ending = true;
    }
    wake.notify_all();
    thread.join();
}

void CStopWatchdog::Run()
{
    using Clock = std::chrono::steady_clock;
    bool watching = false;
    unsigned lastProgress = 0;
    Clock::time_point quietSince;
    std::unique_lock lock(mutex);
    // The arming comes from a signal handler, which cannot notify: it is polled.
    while (!wake.wait_for(lock, checkPeriod, [this] { return ending; })) {
        if (!armed())
            continue;
        const unsigned progress = LinkProgress();
        const auto now = Clock::now();
        if (!watching || progress != lastProgress) {
            watching = true;
            lastProgress = progress;
            quietSince = now;
        } else if (now - quietSince >= quiet) {
            onHung();
            return;
        }
    }
}
