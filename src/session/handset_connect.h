// The one way both front ends connect to a handset: open the port, wait for the polling thread
// to find the handset Ready, check that it answers EFS requests, and decide once whether it
// reports EFS usage figures. The front ends show the stages their own way (the console prints
// dots, the window keeps its wait window up).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "link/link_timing.h"
#include "report/app_messages.h"

class CDiagPort;

enum class ConnectStage {
    portOpened,        // the port is open; the wait for the handset starts
    pollPeriodPassed,  // one full wait period went by without the handset Ready
    detectionEnded,    // the wait is over, found or not
    handsetFound,      // the handset is Ready; the EFS check follows
};
using ConnectProgress = std::function<void(ConnectStage)>;

struct CConnection {
    AppMessage result = msgSuccess;   // 0, the port refused, no handset, or the EFS check's code
    std::unique_ptr<CDiagPort> link;  // the connected link when result is 0, else none
    bool openDenied = false;          // the port refused us for want of permission
    bool stopped = false;             // the user stopped the wait for the handset (result 22)
    // Whether the handset keeps usable statistics: true only when the used-space query answers
    // with a figure above 0. The caller sets EfsStatsAvailable from it on its own thread.
    bool statsAvailable = false;
};

// Shown after "could not open the port" when the port refused us for want of permission.
extern const char* const permissionHintText;

// Connects to portName. Reports nothing; the caller reports the result. Run inside a stoppable
// operation, a stop request ends the wait for the handset within a busy-hook period; so does
// abandoned() turning true, for an attempt run on a thread of its own that nobody waits for any
// more (msgNoDevice). Touches no process-wide state, so it may run on any thread.
CConnection ConnectHandset(const std::string& portName, const LinkTiming& timing,
                           const ConnectProgress& progress = {},
                           const std::function<bool()>& abandoned = {});
