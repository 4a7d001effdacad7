// One piece of device work run on a thread of its own, so the thread that started it (the
// window's) goes on serving its user meanwhile. The starter asks whether it has finished and
// joins it; the job itself must end on its own, so whatever it waits for has a bound.
#pragma once

#include <atomic>
#include <functional>
#include <thread>

// How a front end waits for a job: it calls finished() as often as it likes and returns once it
// answers true, doing whatever its thread must do in between.
using JobWaiter = std::function<void(const std::function<bool()>& finished)>;

class CBackgroundJob {
public:
    explicit CBackgroundJob(std::function<void()> job);  // starts it at once
    ~CBackgroundJob();                                   // joins it
    CBackgroundJob(const CBackgroundJob&) = delete;
    CBackgroundJob& operator=(const CBackgroundJob&) = delete;

    bool Finished() const { return finished_.load(std::memory_order_acquire); }

private:
    std::atomic<bool> finished_{false};
    std::thread thread_;
};

// Runs job on a thread of its own and waits for it with wait; without a waiter, runs it here.
void RunJob(const std::function<void()>& job, const JobWaiter& wait);
