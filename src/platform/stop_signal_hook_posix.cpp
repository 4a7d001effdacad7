// Stop requests on POSIX: SIGINT, SIGTERM and SIGHUP reach the hook's handler; reads restart, so
// a question being answered is not cut short.
#include "platform/stop_signal_hook.h"

#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <iterator>

namespace {

constexpr int stopSignals[] = {SIGINT, SIGTERM, SIGHUP};
// One hook at a time; the handlers it replaced, restored when it ends.
struct sigaction saved[std::size(stopSignals)];
StopSignalHandler installed = nullptr;

void OnSignal(int sig)
{
    if (installed != nullptr)
        installed(sig);
}

}  // namespace

CStopSignalHook::CStopSignalHook(StopSignalHandler handler)
{
    installed = handler;
    struct sigaction action {};
    sigemptyset(&action.sa_mask);
    for (const int sig : stopSignals)
        sigaddset(&action.sa_mask, sig);
    // Reads restart, so a question being answered is not cut short by the signal.
    action.sa_flags = SA_RESTART;
    action.sa_handler = OnSignal;
    for (size_t i = 0; i < std::size(stopSignals); ++i)
        sigaction(stopSignals[i], &action, &saved[i]);
}

CStopSignalHook::~CStopSignalHook()
{
    for (size_t i = 0; i < std::size(stopSignals); ++i)
        sigaction(stopSignals[i], &saved[i], nullptr);
    installed = nullptr;
}

void EndProcessBySignal(int code)
{
    // The default action for every stop signal ends the process; raise it from the thread at
    // hand, and never return even if it is blocked there.
    ::signal(code, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, code);
    pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    ::raise(code);
    ::_exit(128 + code);
}
