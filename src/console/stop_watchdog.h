// The watchdog behind a console stop: once armed it ends the process only when no link has
// received a frame or written an attempt for a quiet time (a hung line). A rollback or a listing
// that still advances, even through retries on a noisy line, is never cut short.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class CStopWatchdog {
public:
    static constexpr std::chrono::milliseconds defaultQuiet{10000};

    // armed is read on the watchdog's thread every checkPeriod; onHung runs there once the links
    // have been quiet for quiet since it was armed or last advanced.
    CStopWatchdog(std::function<bool()> armed, std::function<void()> onHung,
                  std::chrono::milliseconds quiet = defaultQuiet,
                  std::chrono::milliseconds checkPeriod = std::chrono::milliseconds(100));
    ~CStopWatchdog();
    CStopWatchdog(const CStopWatchdog&) = delete;
    CStopWatchdog& operator=(const CStopWatchdog&) = delete;

private:
    void Run();

    const std::function<bool()> armed;
    const std::function<void()> onHung;
    const std::chrono::milliseconds quiet;
    const std::chrono::milliseconds checkPeriod;
    std::mutex mutex;
    std::condition_variable wake;
    bool ending = false;
    std::thread thread;
};
