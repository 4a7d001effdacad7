// A pseudo-terminal pair for tests that play the far end of a line themselves: the test keeps the
// master side, and the program or port under test opens the slave's path.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

namespace rig {

class CPtyPair {
public:
    CPtyPair() : master(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK))
    {
        char name[128];
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0 ||
            ::ptsname_r(master, name, sizeof name) != 0) {
            if (master >= 0)
                ::close(master);
            throw std::runtime_error("no pseudo-terminal");
        }
        slavePath = name;
    }
    ~CPtyPair() { ::close(master); }
    CPtyPair(const CPtyPair&) = delete;
    CPtyPair& operator=(const CPtyPair&) = delete;

    int MasterFd() const { return master; }  // non-blocking
    const std::string& SlavePath() const { return slavePath; }

private:
    int master;
    std::string slavePath;
};

}  // namespace rig
