// A pseudo-terminal placed between the link and a virtual handset that damages a share of the
// bytes on their way back from the handset, drawn from a seeded generator so a failing run can
// be repeated. Requests pass unchanged, and the handset's line rate follows the link's.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "support/pty_pair.h"

class CNoisyRelay {
public:
    // Relays a new pty to the terminal handsetPath. nullptr on failure.
    static std::unique_ptr<CNoisyRelay> Start(const std::string& handsetPath, double corruptShare,
                                              uint32_t seed);
    ~CNoisyRelay();

    const std::string& SlavePath() const { return link.SlavePath(); }  // the terminal the link opens
    uint64_t CorruptedReplyBytes() const { return corrupted.load(); }

private:
    CNoisyRelay(double corruptShare, uint32_t seed);
    void Run();
    void FollowLineRate();
    // Writes all of bytes to fd; false once a stop was requested or fd failed.
    bool WriteAll(int fd, const uint8_t* bytes, size_t count);

    rig::CPtyPair link;
    int slaveFd = -1;  // held open so the relay never sees a hang-up between clients
    int handsetFd = -1;
    const uint32_t threshold;  // a byte is damaged when the next draw is below this
    uint32_t state;
    std::atomic<uint64_t> corrupted{0};
    std::atomic<bool> stopping{false};
    std::thread thread;
};
