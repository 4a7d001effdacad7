// The connection pane's text and what the 500 ms connection watch does on each tick.
#pragma once

#include <string>

// "Disconnected" when both figures are 0, else "Mem free/total: %dK / %dK" with statistics or
// "Connected" without.
std::string ConnectionStatusText(int freeKb, int totalKb, bool statsAvailable);

enum class WatchAction {
    nothing,        // no link, or a window command is running
    showMemory,     // phone ready, statistics available: query memory and show it
    showConnected,  // phone ready without statistics
    reconnect,      // phone lost: show "Disconnected" and reconnect once
};

WatchAction DecideWatchAction(bool commandRunning, bool hasLink, bool phoneReady,
                              bool statsAvailable);

// Marks a window command (with its message boxes and wait window) as running for the lifetime
// of the object; the connection watch does nothing meanwhile, so it never reconnects underneath
// a command that is using the link. Nests; the outermost one clears any stop request left over.
class CCommandInProgress {
public:
    CCommandInProgress();
    ~CCommandInProgress();
    CCommandInProgress(const CCommandInProgress&) = delete;
    CCommandInProgress& operator=(const CCommandInProgress&) = delete;

    static bool Any();

private:
    static int depth_;
};
