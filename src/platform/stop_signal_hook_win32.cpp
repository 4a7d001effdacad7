// Ctrl-C, Ctrl-Break and closing the console reach a control handler on a thread the system
// starts; the handler passes them on as stop signals.
#include "platform/stop_signal_hook.h"

#include <windows.h>

#include <atomic>

namespace {

std::atomic<StopSignalHandler> installed{nullptr};
// What a console break ends the process with when nothing handles it.
constexpr UINT breakExitCode = 0xC000013Au;

BOOL WINAPI OnControl(DWORD type)
{
    const StopSignalHandler handler = installed.load();
    if (handler == nullptr)
        return FALSE;
    // Codes start at 1: a stop signal's code is never 0.
    const int code = static_cast<int>(type) + 1;
    switch (type) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        handler(code);
        return TRUE;
    case CTRL_CLOSE_EVENT:
        // The system ends the process a few seconds after this returns: ask for the stop and
        // give the clean-up that time.
        handler(code);
        ::Sleep(4500);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

CStopSignalHook::CStopSignalHook(StopSignalHandler handler)
{
    installed.store(handler);
    ::SetConsoleCtrlHandler(OnControl, TRUE);
}

CStopSignalHook::~CStopSignalHook()
{
    ::SetConsoleCtrlHandler(OnControl, FALSE);
    installed.store(nullptr);
}

void EndProcessBySignal(int)
{
    ::TerminateProcess(::GetCurrentProcess(), breakExitCode);
    ::ExitProcess(breakExitCode);
}
