#include "support/noisy_relay.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>

namespace {

// Raw from the start: with echo on, the relay would hear its own replies as requests.
bool OpenRaw(const std::string& path, int flags, int& fd)
{
    fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | flags);
    termios settings{};
    if (fd < 0 || ::tcgetattr(fd, &settings) != 0)
        return false;
    ::cfmakeraw(&settings);
    return ::tcsetattr(fd, TCSANOW, &settings) == 0;
}

}  // namespace

std::unique_ptr<CNoisyRelay> CNoisyRelay::Start(const std::string& handsetPath, double corruptShare,
                                                uint32_t seed)
{
    auto relay = std::unique_ptr<CNoisyRelay>(new CNoisyRelay(corruptShare, seed));
    if (!OpenRaw(relay->link.SlavePath(), 0, relay->slaveFd) || !OpenRaw(handsetPath, O_NONBLOCK, relay->handsetFd))
        return nullptr;
    relay->thread = std::thread(&CNoisyRelay::Run, relay.get());
    return relay;
}

CNoisyRelay::CNoisyRelay(double corruptShare, uint32_t seed)
    : threshold(static_cast<uint32_t>(corruptShare * 4294967295.0)), state(seed | 1u)
{
}

CNoisyRelay::~CNoisyRelay()
{
    stopping = true;
    if (thread.joinable())
        thread.join();
    for (const int fd : {slaveFd, handsetFd})
        if (fd >= 0)
            ::close(fd);
}

void CNoisyRelay::FollowLineRate()
{
    termios line{};
    termios handset{};
    if (::tcgetattr(link.MasterFd(), &line) != 0 || ::tcgetattr(handsetFd, &handset) != 0)
        return;
    const speed_t speed = ::cfgetospeed(&line);
    if (::cfgetospeed(&handset) == speed)
        return;
    ::cfsetispeed(&handset, speed);
    ::cfsetospeed(&handset, speed);
    ::tcsetattr(handsetFd, TCSANOW, &handset);
}

bool CNoisyRelay::WriteAll(int fd, const uint8_t* bytes, size_t count)
{
    while (count > 0 && !stopping) {
        const ssize_t n = ::write(fd, bytes, count);
        if (n > 0) {
            bytes += n;
            count -= static_cast<size_t>(n);
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            return false;
        } else {
            pollfd writable{fd, POLLOUT, 0};
            ::poll(&writable, 1, 20);
        }
    }
    return !stopping;
}

// Polls with a short time-out, so a stop request is seen within 20 ms.
void CNoisyRelay::Run()
{
    std::array<uint8_t, 4096> buffer{};
    while (!stopping) {
        pollfd fds[2] = {{link.MasterFd(), POLLIN, 0}, {handsetFd, POLLIN, 0}};
        if (::poll(fds, 2, 20) <= 0)
            continue;
        if ((fds[0].revents & POLLIN) != 0) {
            const ssize_t n = ::read(link.MasterFd(), buffer.data(), buffer.size());
            // The handset judges a request by the rate it arrives at.
            if (n > 0)
                FollowLineRate();
            if (n > 0 && !WriteAll(handsetFd, buffer.data(), static_cast<size_t>(n)))
                return;
        }
        if ((fds[1].revents & POLLIN) != 0) {
            const ssize_t n = ::read(handsetFd, buffer.data(), buffer.size());
            for (ssize_t i = 0; i < n; ++i) {
                state = state * 1664525u + 1013904223u;
                if (state < threshold) {
                    // Never a no-op change: XOR with a non-zero value.
                    buffer[static_cast<size_t>(i)] ^= static_cast<uint8_t>((state >> 24) | 1u);
                    corrupted.fetch_add(1);
                }
            }
            if (n > 0 && !WriteAll(link.MasterFd(), buffer.data(), static_cast<size_t>(n)))
                return;
        }
        // A hang-up on the handset's side: back off rather than spin on it.
        if (((fds[0].revents | fds[1].revents) & (POLLHUP | POLLERR)) != 0)
            ::poll(nullptr, 0, 20);
    }
}
