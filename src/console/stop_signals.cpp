#include "console/stop_signals.h"

#include <atomic>

#include "platform/session_context.h"
#include "platform/stop_request.h"

namespace {

// The code of the first stop signal of the current operation; 0 before one came.
std::atomic<int> firstSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);

void OnStopSignal(int code)
{
    // A second signal, or one while a question waits (nothing has changed yet), ends the
    // process at once.
    int none = 0;
    if (QuestionWaiting() || !firstSignal.compare_exchange_strong(none, code))
        EndProcessBySignal(code);
    RequestStopEverywhere();
}

}  // namespace

CStopSignalScope::CStopSignalScope(std::chrono::milliseconds quiet)
    : hook((ClearStopRequest(), firstSignal.store(0), OnStopSignal)),
      watchdog([] { return firstSignal.load() != 0; },
               [] { EndProcessBySignal(firstSignal.load()); }, quiet)
{
}

CStopSignalScope::~CStopSignalScope() = default;
