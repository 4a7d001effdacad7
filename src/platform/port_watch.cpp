#include "platform/port_watch.h"

std::vector<std::string> CPortWatch::Arrivals(std::chrono::milliseconds timeout)
{
    std::vector<std::string> arrived;
    // The first look is at once: the ports already there are plugged in too.
    if (looked)
        WaitForChange(timeout);
    looked = true;
    std::set<std::string> now;
    for (std::string& port : Present()) {
        if (known.count(port) == 0)
            arrived.push_back(port);
        now.insert(std::move(port));
    }
    known = std::move(now);
    return arrived;
}
