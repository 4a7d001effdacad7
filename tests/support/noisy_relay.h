// A pseudo-terminal placed between the link and a virtual handset that damages a fraction of
// the bytes on their way back from the handset: each reply byte is changed with a fixed
// probability, from a seeded generator so a failing run can be repeated. Requests pass
// unchanged, and the handset's line rate follows the rate the link sets on the relay's port.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

class CNoisyRelay {
public:
    // Opens a new pty and relays it to the terminal handsetPath. nullptr on failure.
    static std::unique_ptr<CNoisyRelay> Start(const std::string& handsetPath, double corruptShare,
                                              uint32_t seed);
    ~CNoisyRelay();
    CNoisyRelay(const CNoisyRelay&) = delete;
    CNoisyRelay& operator=(const CNoisyRelay&) = delete;

    // The terminal the link opens.
    const std::string& SlavePath() const { return slavePath; }
    uint64_t RelayedReplyBytes() const { return relayedBytes.load(); }
    uint64_t CorruptedReplyBytes() const { return corruptedBytes.load(); }

private:
    CNoisyRelay(int masterFd, int slaveFd, int handsetFd, int wakeFd, std::string slavePath,
                double corruptShare, uint32_t seed);
    void Run();
    void FollowLineRate();
    // Writes all of bytes to fd; false once a stop was requested or fd failed.
    bool WriteAll(int fd, const uint8_t* bytes, size_t count);

    const int masterFd;
    const int slaveFd;    // held open so the relay never sees a hang-up between clients
    const int handsetFd;  // the handset's terminal
    const int wakeFd;
    const std::string slavePath;
    const uint32_t threshold;  // a byte is damaged when the next draw is below this
    uint32_t state;
    std::atomic<uint64_t> relayedBytes{0};
    std::atomic<uint64_t> corruptedBytes{0};
    std::atomic<bool> stopping{false};
    std::thread thread;
};
