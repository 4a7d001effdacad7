// An in-process line: a client end that the link opens like a serial port and a host end that
// the virtual handset serves, joined by two bounded byte queues. It stands in for a
// pseudo-terminal where there is none; the rate the client sets is what the host reads.
#pragma once

#include <memory>
#include <string>

#include "platform/host_line.h"
#include "platform/line.h"

struct LoopLinePair {
    std::unique_ptr<CLine> client;
    std::unique_ptr<CHostLine> host;  // SlavePath() is the name given
};

// Either end may be destroyed first: the client then reads `hungUp`, writes nothing; the host
// keeps serving a line no one listens to, as a pty master does between clients.
LoopLinePair MakeLoopLine(const std::string& name);
