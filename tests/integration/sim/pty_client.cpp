#include "pty_client.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

#include "link/frame_codec.h"

namespace simtest {

CPtyClient::~CPtyClient()
{
    Close();
}

bool CPtyClient::Open(const std::string& path)
{
    Close();
    fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    return fd >= 0 && SetSpeed(38400);
}

void CPtyClient::Close()
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
    pending.clear();
}

bool CPtyClient::SetSpeed(uint32_t baud)
{
    termios settings{};
    if (fd < 0 || ::tcgetattr(fd, &settings) != 0)
        return false;
    ::cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    const speed_t speed = baud == 115200 ? B115200 : baud == 19200 ? B19200 : B38400;
    return ::cfsetispeed(&settings, speed) == 0 && ::cfsetospeed(&settings, speed) == 0 &&
           ::tcsetattr(fd, TCSANOW, &settings) == 0;
}

bool CPtyClient::WriteFrame(const std::vector<uint8_t>& payload, bool openingFlag)
{
    std::array<uint8_t, frameWorkAreaSize> frame{};
    const size_t length = EncodeFrame(payload.data(), payload.size(), frame.data(), !openingFlag);
    return WriteRaw(std::string(frame.begin(), frame.begin() + static_cast<long>(length)));
}

bool CPtyClient::WriteRaw(const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && errno == EAGAIN) {
            pollfd out{fd, POLLOUT, 0};
            ::poll(&out, 1, 100);
        } else if (!(n < 0 && errno == EINTR)) {
            return false;
        }
    }
    return true;
}

bool CPtyClient::ReadSome(std::chrono::steady_clock::time_point deadline)
{
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline)
        return false;
    pollfd in{fd, POLLIN, 0};
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
    if (::poll(&in, 1, static_cast<int>(left)) <= 0)
        return now < deadline;  // poll interrupted or timed out: the caller re-checks the deadline
    std::array<uint8_t, 4096> buffer{};
    const ssize_t n = ::read(fd, buffer.data(), buffer.size());
    if (n > 0) {
        pending.insert(pending.end(), buffer.begin(), buffer.begin() + n);
        lastByte = std::chrono::steady_clock::now();
    }
    return true;
}

std::optional<std::vector<uint8_t>> CPtyClient::ReadFrame(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        // Cut at each flag; a flag at the start opens a frame.
        for (;;) {
            const auto from = pending.begin() + ((!pending.empty() && pending[0] == frameFlag) ? 1 : 0);
            const auto flag = std::find(from, pending.end(), frameFlag);
            if (flag == pending.end())
                break;
            std::vector<uint8_t> frame(pending.begin(), flag + 1);
            pending.erase(pending.begin(), flag + 1);
            size_t length = frame.size();
            if (DecodeFrame(frame.data(), length) == linkStatusOk) {
                frame.resize(length);
                return frame;
            }
        }
        if (!ReadSome(deadline))
            return std::nullopt;
    }
}

std::string CPtyClient::ReadUntil(const std::string& text, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        std::string received(pending.begin(), pending.end());
        if (received.find(text) != std::string::npos || !ReadSome(deadline)) {
            pending.clear();
            return received;
        }
    }
}

size_t CPtyClient::Available()
{
    int count = 0;
    if (fd < 0 || ::ioctl(fd, FIONREAD, &count) != 0)
        return pending.size();
    return pending.size() + static_cast<size_t>(count);
}

}  // namespace simtest
