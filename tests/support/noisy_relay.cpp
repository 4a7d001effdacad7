#include "noisy_relay.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>

namespace {

bool MakeRaw(int fd)
{
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0)
        return false;
    ::cfmakeraw(&settings);
    return ::tcsetattr(fd, TCSANOW, &settings) == 0;
}

}  // namespace

std::unique_ptr<CNoisyRelay> CNoisyRelay::Start(const std::string& handsetPath, double corruptShare,
                                                uint32_t seed)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    char name[128];
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0 ||
        ::ptsname_r(master, name, sizeof name) != 0) {
        if (master >= 0)
            ::close(master);
        return nullptr;
    }
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    const int handset = ::open(handsetPath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    const int wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    // Raw from the start: with echo on, the relay would hear its own replies as requests.
    if (slave < 0 || handset < 0 || wake < 0 || !MakeRaw(slave) || !MakeRaw(handset)) {
        for (const int fd : {slave, handset, wake, master})
            if (fd >= 0)
                ::close(fd);
        return nullptr;
    }
    auto relay = std::unique_ptr<CNoisyRelay>(
        new CNoisyRelay(master, slave, handset, wake, name, corruptShare, seed));
    relay->thread = std::thread([raw = relay.get()] { raw->Run(); });
    return relay;
}

CNoisyRelay::CNoisyRelay(int master, int slave, int handset, int wake, std::string path,
                         double corruptShare, uint32_t seed)
    : masterFd(master), slaveFd(slave), handsetFd(handset), wakeFd(wake), slavePath(std::move(path)),
      threshold(static_cast<uint32_t>(corruptShare * 4294967295.0)), state(seed | 1u)
{
}

CNoisyRelay::~CNoisyRelay()
{
    stopping = true;
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeFd, &one, sizeof one);
    if (thread.joinable())
        thread.join();
    for (const int fd : {slaveFd, handsetFd, wakeFd, masterFd})
        ::close(fd);
}

void CNoisyRelay::FollowLineRate()
{
    termios link{};
    termios handset{};
    if (::tcgetattr(masterFd, &link) != 0 || ::tcgetattr(handsetFd, &handset) != 0)
        return;
    const speed_t speed = ::cfgetospeed(&link);
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
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        pollfd fds[2] = {{fd, POLLOUT, 0}, {wakeFd, POLLIN, 0}};
        ::poll(fds, 2, 100);
    }
    return !stopping;
}

void CNoisyRelay::Run()
{
    std::array<uint8_t, 4096> buffer{};
    while (!stopping) {
        pollfd fds[3] = {{masterFd, POLLIN, 0}, {handsetFd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
        if (::poll(fds, 3, 1000) < 0 && errno != EINTR)
            return;
        if (fds[2].revents != 0)
            return;
        if ((fds[0].revents & POLLIN) != 0) {
            const ssize_t n = ::read(masterFd, buffer.data(), buffer.size());
            if (n > 0) {
                // The handset judges a request by the rate it arrives at.
                FollowLineRate();
                if (!WriteAll(handsetFd, buffer.data(), static_cast<size_t>(n)))
                    return;
            }
        }
        if ((fds[1].revents & POLLIN) != 0) {
            const ssize_t n = ::read(handsetFd, buffer.data(), buffer.size());
            if (n > 0) {
                for (ssize_t i = 0; i < n; ++i) {
                    state = state * 1664525u + 1013904223u;
                    if (state < threshold) {
                        // Never a no-op change: XOR with a non-zero value.
                        buffer[static_cast<size_t>(i)] ^= static_cast<uint8_t>((state >> 24) | 1u);
                        corruptedBytes.fetch_add(1);
                    }
                }
                relayedBytes.fetch_add(static_cast<uint64_t>(n));
                if (!WriteAll(masterFd, buffer.data(), static_cast<size_t>(n)))
                    return;
            }
        }
        // A hang-up on either side: back off rather than spin on it.
        if (((fds[0].revents | fds[1].revents) & (POLLHUP | POLLERR)) != 0) {
            pollfd wake{wakeFd, POLLIN, 0};
            ::poll(&wake, 1, 50);
        }
    }
}
