#include "support/pty_pair.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace rig {

CPtyPair::CPtyPair() : master(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK))
{
    char name[128];
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0 || ::ptsname_r(master, name, sizeof name) != 0) {
        if (master >= 0)
            ::close(master);
        throw std::runtime_error("no pseudo-terminal");
    }
    slavePath = name;
}

CPtyPair::~CPtyPair()
{
    if (master >= 0)
        ::close(master);
}

}  // namespace rig
