// Keeps the window alive while device work runs. Every wait on the handset made on the window's
// thread calls the busy hook (see platform/busy_hook.h); the window's hook hands out the pending
// paint, expose, timer and window-manager events there. While a window command runs (see
// CCommandInProgress) user input reaches only the modal window on top (the wait window, or a
// dialog the command opened), and from inside the hook only a wait window; everything else is
// dropped, so nothing the user did meanwhile runs afterwards. Work that runs on a thread of its
// own outside any command (the connection watch's attempts) leaves the window fully usable.
#pragma once

#include <functional>

// Installs the hook for the calling (the window's) thread and the input gate for the
// application; RemoveBusyEventHook takes both away.
void InstallBusyEventHook();
void RemoveBusyEventHook();

// The hook: hands out the pending events once. A call from inside an event handler that runs
// meanwhile does nothing, so handlers never nest.
void ServeBusyEvents();

// Waits on the window's thread until finished() holds, for a job running on a thread of its own
// (a JobWaiter). Inside a command it serves the window through the busy hook, so only the wait
// window takes input; otherwise the window's event loop runs as usual, input included.
void WaitServingWindow(const std::function<bool()>& finished);
