// The pty master on POSIX: a non-blocking master descriptor polled beside the wake event.
#include "platform/pty_master.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

namespace {

std::string Reason(const char* what)
{
    return std::string(what) + ": " + std::strerror(errno);
}

uint32_t BaudOfSpeed(speed_t speed)
{
    switch (speed) {
    case B9600: return 9600;
    case B19200: return 19200;
    case B38400: return 38400;
    case B57600: return 57600;
    case B115200: return 115200;
    case B230400: return 230400;
    default: return 0;
    }
}

// A result of read or write as bytes moved; a signal or a full buffer moves none but keeps the line.
PtyTransfer Transferred(ssize_t n)
{
    if (n > 0)
        return {static_cast<size_t>(n), false};
    return {0, n == 0 || (errno != EINTR && errno != EAGAIN)};
}

}  // namespace

std::unique_ptr<CPtyMaster> CPtyMaster::Open(std::string& error)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) {
        error = Reason("posix_openpt");
        return nullptr;
    }
    char name[128];
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0 || ::ptsname_r(master, name, sizeof name) != 0) {
        error = Reason("pty setup");
        ::close(master);
        return nullptr;
    }
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios settings{};
    // Raw from the start: with the default echo the far end would hear its own replies.
    const bool configured = slave >= 0 && ::tcgetattr(slave, &settings) == 0 &&
                            (::cfmakeraw(&settings), ::cfsetispeed(&settings, B38400) == 0) &&
                            ::cfsetospeed(&settings, B38400) == 0 && ::tcsetattr(slave, TCSANOW, &settings) == 0;
    const int flags = ::fcntl(master, F_GETFL);
    if (!configured || flags < 0 || ::fcntl(master, F_SETFL, flags | O_NONBLOCK) != 0) {
        error = Reason("pty configuration");
        if (slave >= 0)
            ::close(slave);
        ::close(master);
        return nullptr;
    }
    auto pty = std::unique_ptr<CPtyMaster>(new CPtyMaster(master, slave, name));
    if (!pty->wake.Valid()) {
        error = "pty configuration: no wake-up event";
        return nullptr;
    }
    return pty;
}

CPtyMaster::CPtyMaster(int master, int slave, std::string path)
    : masterFd(master), slaveFd(slave), slavePath(std::move(path))
{
}

CPtyMaster::~CPtyMaster()
{
    ::close(slaveFd);
    ::close(masterFd);
}

PtyTransfer CPtyMaster::Read(uint8_t* buffer, size_t capacity)
{
    return Transferred(::read(masterFd, buffer, capacity));
}

PtyTransfer CPtyMaster::Write(const uint8_t* bytes, size_t count)
{
    return Transferred(::write(masterFd, bytes, count));
}

PtyWaitResult CPtyMaster::Wait(PtyWatch watch, uint32_t timeoutMs)
{
    const auto events = static_cast<short>(watch == PtyWatch::input ? POLLIN : POLLOUT);
    pollfd fds[2] = {{static_cast<int>(wake.PollHandle()), POLLIN, 0}, {masterFd, events, 0}};
    const int timeout = timeoutMs == waitInfinite ? -1 : static_cast<int>(std::min<uint32_t>(timeoutMs, INT_MAX));
    const int result = ::poll(fds, watch == PtyWatch::nothing ? 1 : 2, timeout);
    if (result < 0)
        return errno == EINTR ? PtyWaitResult::timedOut : PtyWaitResult::failed;
    if (fds[0].revents != 0)
        return PtyWaitResult::woken;
    if ((fds[1].revents & events) != 0)
        return PtyWaitResult::ready;
    return fds[1].revents != 0 ? PtyWaitResult::hungUp : PtyWaitResult::timedOut;
}

void CPtyMaster::Wake()
{
    wake.Set();
}

uint32_t CPtyMaster::SlaveBaud() const
{
    // The master reports the slave's settings, so the rate a client set is visible here.
    termios settings{};
    if (::tcgetattr(masterFd, &settings) != 0)
        return 0;
    return BaudOfSpeed(::cfgetospeed(&settings));
}
