#include "support/pty_pair.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace rig {

CPtyPair::CPtyPair()
{
    master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    char name[128];
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0 || ::ptsname_r(master, name, sizeof name) != 0) {
        CloseMaster();
        throw std::runtime_error("no pseudo-terminal");
    }
    slavePath = name;
}

void CPtyPair::CloseMaster()
{
    if (master >= 0)
        ::close(master);
    master = -1;
}

uint32_t CPtyPair::Baud() const
{
    termios settings{};
    if (master < 0 || ::tcgetattr(master, &settings) != 0)
        return 0;
    switch (::cfgetospeed(&settings)) {
    case B19200: return 19200;
    case B38400: return 38400;
    case B115200: return 115200;
    default: return 0;
    }
}

}  // namespace rig
