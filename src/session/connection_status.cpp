#include "session/connection_status.h"

#include <cstdio>

#include "platform/stop_request.h"

std::string ConnectionStatusText(int freeKb, int totalKb, bool statsAvailable)
{
    if (freeKb == 0 && totalKb == 0)
        return "Disconnected";
    if (!statsAvailable)
        return "Connected";
    char text[64];
    std::snprintf(text, sizeof text, "Mem free/total: %dK / %dK", freeKb, totalKb);
    return text;
}

WatchAction DecideWatchAction(bool commandRunning, bool hasLink, bool phoneReady,
                              bool statsAvailable)
{
    if (commandRunning || !hasLink)
        return WatchAction::nothing;
    if (!phoneReady)
        return WatchAction::reconnect;
    return statsAvailable ? WatchAction::showMemory : WatchAction::showConnected;
}

int CCommandInProgress::depth_ = 0;

CCommandInProgress::CCommandInProgress()
{
    // A stop asked for during an earlier command never stops this one.
    if (depth_++ == 0)
        ClearStopRequest();
}

CCommandInProgress::~CCommandInProgress()
{
    --depth_;
}

bool CCommandInProgress::Any()
{
    return depth_ > 0;
}
