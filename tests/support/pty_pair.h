// A pseudo-terminal pair for tests that play the far end of a line themselves: the test keeps the
// master side, and the program or port under test opens the slave's path.
#pragma once

#include <string>

namespace rig {

class CPtyPair {
public:
    CPtyPair();  // throws std::runtime_error when no pseudo-terminal is to be had
    ~CPtyPair();
    CPtyPair(const CPtyPair&) = delete;
    CPtyPair& operator=(const CPtyPair&) = delete;

    int MasterFd() const { return master; }  // non-blocking
    const std::string& SlavePath() const { return slavePath; }

private:
    int master = -1;
    std::string slavePath;
};

}  // namespace rig
