// The serial line on termios. The descriptor is non-blocking and every wait is a poll() that
// also watches an event's descriptor, so closing the link never waits on the hardware.
#include "platform/line.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#ifdef __linux__
#include <linux/serial.h>
#endif
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include "platform/debug_sink.h"

namespace {

// USB-serial adapters may hold received bytes up to 16 ms before passing them on, which caps a
// request-reply exchange at about 62 a second; the driver's low-latency mode passes them on at
// once. A terminal without it (a pty, a plain UART driver) refuses, and nothing changes.
void AskForLowLatency([[maybe_unused]] int fd)
{
#ifdef __linux__
    constexpr int lowLatency = static_cast<int>(ASYNC_LOW_LATENCY);
    serial_struct serial{};
    if (ioctl(fd, TIOCGSERIAL, &serial) != 0 || (serial.flags & lowLatency) != 0)
        return;
    serial.flags |= lowLatency;
    if (ioctl(fd, TIOCSSERIAL, &serial) != 0)
        DebugOutput("low latency refused: " + std::string(std::strerror(errno)) + "\n");
#endif
}

bool BaudConstant(uint32_t baud, speed_t& speed)
{
    switch (baud) {
    case 19200: speed = B19200; return true;
    case 38400: speed = B38400; return true;
    case 115200: speed = B115200; return true;
    default: return false;
    }
}

// Milliseconds left until deadline for poll(): -1 for no deadline, 0 once it has passed.
int PollTimeLeft(std::chrono::steady_clock::time_point deadline, uint32_t timeoutMs)
{
    const uint32_t left = WaitTimeLeft(deadline, timeoutMs);
    return left == waitInfinite ? -1 : static_cast<int>(std::min<uint32_t>(left, INT_MAX));
}

// Raw 8N1 without flow control: no byte is translated, dropped or taken as a signal.
void MakeRaw(termios& settings)
{
    cfmakeraw(&settings);
    settings.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK | ISTRIP | IGNPAR);
    settings.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS | HUPCL);
    settings.c_cflag |= CS8 | CLOCAL | CREAD;
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
}
class CTermiosLine final : public CLine {
public:
    explicit CTermiosLine(int descriptor) : fd(descriptor) {}
    ~CTermiosLine() override;
    CTermiosLine(const CTermiosLine&) = delete;
    CTermiosLine& operator=(const CTermiosLine&) = delete;

    bool SetBaud(uint32_t baud) override;
    void PurgeTx() override { tcflush(fd, TCOFLUSH); }
    void PurgeAll() override { tcflush(fd, TCIOFLUSH); }
    PortReadResult Read(uint8_t* buffer, size_t capacity, uint32_t firstByteTimeoutMs,
                        const CSyncEvent& cancel) override;
    size_t Write(const uint8_t* bytes, size_t length, uint32_t timeoutMs,
                 const CSyncEvent& cancel) override;

    bool exclusiveSet = false;  // this object set TIOCEXCL and must clear it on close

private:
    const int fd;
};

CTermiosLine::~CTermiosLine()
{
    if (exclusiveSet)
        ioctl(fd, TIOCNXCL);
    close(fd);
}

LineOpenResult Failed(PortOpenFailure failure, std::string reason)
{
    return {nullptr, failure, std::move(reason)};
}

}  // namespace

LineOpenResult OpenSerialLine(const std::string& devicePath, uint32_t baud)
{
    speed_t speed = B0;
    if (devicePath.empty() || !BaudConstant(baud, speed))
        return Failed(PortOpenFailure::noSuchPort, "no such port");

    const int fd = open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (error == EACCES || error == EPERM) {
            DebugOutput("Permission denied opening " + devicePath +
                        ": serial ports belong to the dialout group (sudo usermod -aG dialout "
                        "$USER, then log in again)\n");
            return Failed(PortOpenFailure::permissionDenied, std::strerror(error));
        }
        if (error == EBUSY)
            return Failed(PortOpenFailure::inUse, "port in use");
        return Failed(PortOpenFailure::noSuchPort, std::strerror(error));
    }
    auto line = std::make_unique<CTermiosLine>(fd);
    termios settings{};
    if (!isatty(fd) || tcgetattr(fd, &settings) != 0)
        return Failed(PortOpenFailure::notATerminal, "not a terminal");
    // flock stops a second open from this process and from privileged programs, which TIOCEXCL
    // lets through; TIOCEXCL then keeps other programs from opening the terminal at all. The
    // lock comes first, so a port another program holds never has its TIOCEXCL cleared by us.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0)
        return Failed(PortOpenFailure::inUse, "port in use");
    if (ioctl(fd, TIOCEXCL) != 0)
        return Failed(PortOpenFailure::inUse, "port in use");
    line->exclusiveSet = true;
    tcflush(fd, TCIOFLUSH);
    MakeRaw(settings);
    cfsetispeed(&settings, speed);
    cfsetospeed(&settings, speed);
    if (tcsetattr(fd, TCSANOW, &settings) != 0)
        return Failed(PortOpenFailure::settingsRefused, std::strerror(errno));
    // Pseudo-terminals have no modem lines and refuse this; real ports raise DTR and RTS.
    int lines = TIOCM_DTR | TIOCM_RTS;
    ioctl(fd, TIOCMBIS, &lines);
    AskForLowLatency(fd);
    return {std::move(line), PortOpenFailure::none, {}};
}

bool CTermiosLine::SetBaud(uint32_t baud)
{
    speed_t speed = B0;
    termios settings{};
    if (!BaudConstant(baud, speed) || tcgetattr(fd, &settings) != 0)
        return false;
    cfsetispeed(&settings, speed);
    cfsetospeed(&settings, speed);
    // TCSANOW, never TCSADRAIN: a peer that stopped reading must not block the rate switch.
    return tcsetattr(fd, TCSANOW, &settings) == 0;
}

PortReadResult CTermiosLine::Read(uint8_t* buffer, size_t capacity, uint32_t firstByteTimeoutMs,
                                 const CSyncEvent& cancel)
{
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(firstByteTimeoutMs);
    for (;;) {
        if (cancel.IsSet())
            return {PortIoResult::cancelled, 0};
        pollfd fds[2] = {{fd, POLLIN, 0}, {static_cast<int>(cancel.PollHandle()), POLLIN, 0}};
        const int ready = poll(fds, 2, PollTimeLeft(deadline, firstByteTimeoutMs));
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return {PortIoResult::failed, 0};
        }
        if (fds[1].revents & POLLIN)
            return {PortIoResult::cancelled, 0};
        if (ready == 0)
            return {PortIoResult::timedOut, 0};
        if (fds[0].revents & POLLNVAL)
            return {PortIoResult::failed, 0};
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            const ssize_t n = read(fd, buffer, capacity);
            if (n > 0)
                return {PortIoResult::ok, static_cast<size_t>(n)};
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                continue;
            // End of file or EIO: the device or the other end of a pseudo-terminal is gone.
            if (n == 0 || errno == EIO)
                return {PortIoResult::hungUp, 0};
            return {PortIoResult::failed, 0};
        }
    }
}

size_t CTermiosLine::Write(const uint8_t* bytes, size_t length, uint32_t timeoutMs,
                          const CSyncEvent& cancel)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    size_t written = 0;
    while (written < length && !cancel.IsSet()) {
        const ssize_t n = write(fd, bytes + written, length - written);
        if (n > 0) {
            written += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            break;
        const int waitMs = PollTimeLeft(deadline, timeoutMs);
        if (waitMs == 0)
            break;
        pollfd fds[2] = {{fd, POLLOUT, 0}, {static_cast<int>(cancel.PollHandle()), POLLIN, 0}};
        if (poll(fds, 2, waitMs) < 0 && errno != EINTR)
            break;
        if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL))
            break;
    }
    return written;
}
