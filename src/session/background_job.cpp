#include "session/background_job.h"

CBackgroundJob::CBackgroundJob(std::function<void()> job)
    : thread_([this, job = std::move(job)] {
          job();
          finished_.store(true, std::memory_order_release);
      })
{
}

CBackgroundJob::~CBackgroundJob()
{
    thread_.join();
}

void RunJob(const std::function<void()>& job, const JobWaiter& wait)
{
    if (!wait)
        return job();
    CBackgroundJob running(job);
    wait([&running] { return running.Finished(); });
}
