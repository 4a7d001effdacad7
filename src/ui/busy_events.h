// Keeps the window alive while a device operation blocks its thread. Every wait on the handset
// made on that thread calls the busy hook (see platform/busy_hook.h); the window's hook hands out
// the pending paint, expose, timer and window-manager events there. User input reaches only the
// wait window, which is application-modal while shown, so Qt keeps input from every other window;
// with no wait window up, input is dropped, so nothing the user did meanwhile runs afterwards. The connection watch does
// nothing meanwhile, since a command is in progress (see CCommandInProgress).
#pragma once

// Installs the hook for the calling (the window's) thread; RemoveBusyEventHook takes it away.
void InstallBusyEventHook();
void RemoveBusyEventHook();

// The hook: hands out the pending events once. A call from inside an event handler that runs
// meanwhile does nothing, so handlers never nest.
void ServeBusyEvents();
