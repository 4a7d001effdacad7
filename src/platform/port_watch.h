// Ports as they are plugged in. On Linux a folder of device links (such as /dev/serial/by-id) is
// watched with inotify; on Windows the COM port list is read twice a second. Each port is told
// once per appearance: gone and back, it is told again.
#pragma once

#include <chrono>
#include <memory>
#include <set>
#include <string>
#include <vector>

class CPortWatch {
public:
    // folder: the folder of device links to watch (Linux); Windows watches the COM port list.
    explicit CPortWatch(const std::string& folder);
    ~CPortWatch();
    CPortWatch(const CPortWatch&) = delete;
    CPortWatch& operator=(const CPortWatch&) = delete;

    // False when the folder cannot be watched.
    bool Valid() const;
    // Waits up to timeout for a change; returns the ports that appeared since the last call,
    // those present at the start included on the first.
    std::vector<std::string> Arrivals(std::chrono::milliseconds timeout);

private:
    // The ports present now (the system's half).
    std::vector<std::string> Present() const;
    // Waits for a change or timeout (the system's half).
    void WaitForChange(std::chrono::milliseconds timeout);

    struct CState;
    std::unique_ptr<CState> state;
    std::set<std::string> known;
    bool looked = false;
};
