#include "console/stop_signals.h"

#include <unistd.h>

#include "efs/efs_operations.h"
#include "platform/stop_request.h"

namespace {

constexpr int stopSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGALRM};

// An operation checks the request between requests, so it sees it within one request's time.
constexpr unsigned watchdogSeconds = (efsReadNextTimeoutMs + 2000 + 999) / 1000;

volatile sig_atomic_t firstSignal = 0;

// Ends the process the way sig would have without a handler.
void EndBySignal(int sig)
{
    std::signal(sig, SIG_DFL);
    ::raise(sig);
}

void OnStopSignal(int sig)
{
    // A second signal, or one while a question waits (nothing has changed yet), ends the
    // process at once.
    if (firstSignal != 0 || QuestionWaiting()) {
        EndBySignal(sig);
        return;
    }
    firstSignal = sig;
    RequestStop();
    ::alarm(watchdogSeconds);
}

void OnWatchdog(int)
{
    // An operation that has seen the stop is rolling back; let it finish.
    if (!StopSeen() && firstSignal != 0)
        EndBySignal(firstSignal);
}

}  // namespace

CStopSignalScope::CStopSignalScope()
{
    ClearStopRequest();
    firstSignal = 0;
    struct sigaction action {};
    sigemptyset(&action.sa_mask);
    for (const int sig : stopSignals)
        sigaddset(&action.sa_mask, sig);
    // Reads restart, so a question being answered is not cut short by the signal.
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < std::size(stopSignals); ++i) {
        action.sa_handler = stopSignals[i] == SIGALRM ? OnWatchdog : OnStopSignal;
        sigaction(stopSignals[i], &action, &saved[i]);
    }
}

CStopSignalScope::~CStopSignalScope()
{
    ::alarm(0);
    for (size_t i = 0; i < std::size(stopSignals); ++i)
        sigaction(stopSignals[i], &saved[i], nullptr);
}
