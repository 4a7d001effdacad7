// A pseudo-terminal pair for tests that play the far end of a serial line themselves: the test
// keeps the master side, and the port under test opens the slave's path.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rig {

using Bytes = std::vector<uint8_t>;

class CPtyPair {
public:
    CPtyPair();  // throws std::runtime_error when no pseudo-terminal is to be had
    ~CPtyPair() { CloseMaster(); }
    CPtyPair(const CPtyPair&) = delete;
    CPtyPair& operator=(const CPtyPair&) = delete;

    int MasterFd() const { return master; }  // non-blocking
    const std::string& SlavePath() const { return slavePath; }
    // The line rate the port under test has set, in baud (0 when unknown).
    uint32_t Baud() const;
    // Hangs up the far end.
    void CloseMaster();

private:
    int master = -1;
    std::string slavePath;
};

}  // namespace rig
