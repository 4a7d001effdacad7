#include "sim/handset_host.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "link/frame_codec.h"

namespace sim {

namespace {

std::string Reason(const char* what)
{
    return std::string(what) + ": " + std::strerror(errno);
}

// Junk that is not a frame: bytes without a flag, then a flag that ends them.
std::vector<uint8_t> NoiseBytes(uint32_t& state)
{
    std::vector<uint8_t> bytes;
    for (int i = 0; i < 8; ++i) {
        state = state * 1664525u + 1013904223u;
        auto byte = static_cast<uint8_t>(state >> 24);
        if (byte == frameFlag || byte == frameEscape)
            byte = 0x55;
        bytes.push_back(byte);
    }
    bytes.push_back(frameFlag);
    return bytes;
}

// A copy of frame with one body bit flipped, so its check sequence fails.
std::vector<uint8_t> Corrupted(std::vector<uint8_t> frame)
{
    for (auto& byte : frame) {
        const auto flipped = static_cast<uint8_t>(byte ^ 0x01);
        if (byte != frameFlag && byte != frameEscape && flipped != frameFlag && flipped != frameEscape) {
            byte = flipped;
            break;
        }
    }
    return frame;
}

}  // namespace

uint32_t BaudOfSpeed(unsigned speed)
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

std::unique_ptr<CHandsetHost> CHandsetHost::Start(std::unique_ptr<CHandsetModel> model, std::string* error)
{
    std::string ignored;
    std::string& reason = error != nullptr ? *error : ignored;
    if (!model) {
        reason = "no handset model";
        return nullptr;
    }
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) {
        reason = Reason("posix_openpt");
        return nullptr;
    }
    char name[128];
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0 || ::ptsname_r(master, name, sizeof name) != 0) {
        reason = Reason("pty setup");
        ::close(master);
        return nullptr;
    }
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    const int wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    termios settings{};
    // Raw from the start: with the default echo the handset would hear its own replies.
    const bool configured = slave >= 0 && ::tcgetattr(slave, &settings) == 0 &&
                            (::cfmakeraw(&settings), ::cfsetispeed(&settings, B38400) == 0) &&
                            ::cfsetospeed(&settings, B38400) == 0 && ::tcsetattr(slave, TCSANOW, &settings) == 0;
    const int flags = ::fcntl(master, F_GETFL);
    if (!configured || wake < 0 || flags < 0 || ::fcntl(master, F_SETFL, flags | O_NONBLOCK) != 0) {
        reason = Reason("pty configuration");
        if (slave >= 0)
            ::close(slave);
        if (wake >= 0)
            ::close(wake);
        ::close(master);
        return nullptr;
    }
    auto host = std::unique_ptr<CHandsetHost>(new CHandsetHost(std::move(model), master, slave, wake, name));
    host->thread = std::thread([raw = host.get()] { raw->Run(); });
    return host;
}

CHandsetHost::CHandsetHost(std::unique_ptr<CHandsetModel> m, int master, int slave, int wake, std::string path)
    : model(std::move(m)), masterFd(master), slaveFd(slave), wakeFd(wake), slavePath(std::move(path))
{
}

CHandsetHost::~CHandsetHost()
{
    Stop();
    ::close(slaveFd);
    ::close(masterFd);
    ::close(wakeFd);
}

void CHandsetHost::Stop()
{
    stopping = true;
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeFd, &one, sizeof one);
    if (thread.joinable() && thread.get_id() != std::this_thread::get_id())
        thread.join();
}

void CHandsetHost::UpdateBehaviour(const std::function<void(SimBehaviour&)>& change)
{
    std::lock_guard lock(mutex);
    change(model->Behaviour());
}

SimBehaviour CHandsetHost::Behaviour() const
{
    std::lock_guard lock(mutex);
    return model->Behaviour();
}

void CHandsetHost::WithFileSystem(const std::function<void(CSimFileSystem&)>& action)
{
    std::lock_guard lock(mutex);
    action(model->FileSystem());
}

uint32_t CHandsetHost::LineRate() const
{
    // The master reports the slave's settings, so the rate a client set is visible here.
    termios settings{};
    if (::tcgetattr(masterFd, &settings) != 0)
        return 0;
    return BaudOfSpeed(static_cast<unsigned>(::cfgetospeed(&settings)));
}

std::vector<SimRequestRecord> CHandsetHost::RequestLog() const
{
    std::lock_guard lock(mutex);
    return {log.begin(), log.end()};
}

size_t CHandsetHost::RequestCount() const
{
    std::lock_guard lock(mutex);
    return requestCount;
}

bool CHandsetHost::WaitForRequests(size_t count, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(mutex);
    return logChanged.wait_for(lock, timeout, [&] { return requestCount >= count; });
}

bool CHandsetHost::StopRequestedBy(SimClock::time_point deadline, bool readLine)
{
    for (;;) {
        if (stopping)
            return true;
        const auto now = SimClock::now();
        if (now >= deadline)
            return false;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
        pollfd fds[2] = {{wakeFd, POLLIN, 0}, {masterFd, POLLIN, 0}};
        const int result = ::poll(fds, readLine ? 2 : 1, static_cast<int>(std::min<long long>(left, 1000)));
        if (result <= 0)
            continue;
        if (fds[0].revents != 0)
            return true;
        // A real handset keeps receiving while it works: hold what arrives, so unread requests
        // cannot be purged away by the other side, and pace it once the handset is free.
        std::array<uint8_t, 4096> bytes{};
        const ssize_t n = (fds[1].revents & POLLIN) != 0 ? ::read(masterFd, bytes.data(), bytes.size()) : 0;
        if (n > 0) {
            if (heldBytes.empty())
                heldSince = SimClock::now();
            heldBytes.insert(heldBytes.end(), bytes.data(), bytes.data() + n);
        } else if ((n < 0 && errno != EINTR && errno != EAGAIN) ||
                   ((fds[1].revents & (POLLHUP | POLLERR)) != 0 && (fds[1].revents & POLLIN) == 0)) {
            readLine = false;  // hung up: wait on without reading
        }
    }
}

bool CHandsetHost::StopRequestedWhilePacing(size_t count, SimClock::time_point arrival)
{
    const uint32_t baud = Behaviour().throttle ? LineRate() : 0;
    if (baud == 0)
        return false;
    lineFreeAt = std::max(lineFreeAt, arrival) +
                 std::chrono::microseconds(static_cast<int64_t>(count) * 10 * 1000000 / baud);
    return StopRequestedBy(lineFreeAt, false);
}

std::chrono::milliseconds CHandsetHost::NextDelay(const SimBehaviour& switches)
{
    if (switches.replyDelayMax <= switches.replyDelay)
        return switches.replyDelay;
    const unsigned seed = switches.replySeed == 0 ? 1 : switches.replySeed;
    if (seed != delaySeed) {
        delayRandom.seed(seed);
        delaySeed = seed;
    }
    std::uniform_int_distribution<long long> pick(switches.replyDelay.count(), switches.replyDelayMax.count());
    return std::chrono::milliseconds(pick(delayRandom));
}

void CHandsetHost::Run()
{
    std::array<uint8_t, 4096> buffer{};
    while (!stopping) {
        if (!heldBytes.empty()) {
            const std::vector<uint8_t> bytes = std::move(heldBytes);
            heldBytes.clear();
            if (StopRequestedWhilePacing(bytes.size(), heldSince))
                break;
            Process(bytes.data(), bytes.size());
            continue;
        }
        pollfd fds[2] = {{masterFd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
        const int result = ::poll(fds, 2, -1);
        if (result < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[1].revents != 0 || stopping)
            break;
        if ((fds[0].revents & POLLIN) != 0) {
            const ssize_t n = ::read(masterFd, buffer.data(), buffer.size());
            if (n > 0) {
                if (StopRequestedWhilePacing(static_cast<size_t>(n), SimClock::now()))
                    break;
                Process(buffer.data(), static_cast<size_t>(n));
                continue;
            }
            if (n < 0 && (errno == EINTR || errno == EAGAIN))
                continue;
        }
        // A hang-up or read error: back off instead of spinning on it.
        if (StopRequestedBy(SimClock::now() + std::chrono::milliseconds(50), false))
            break;
    }
}

void CHandsetHost::Process(const uint8_t* bytes, size_t count)
{
    const uint32_t baud = LineRate();
    cutter.Append(bytes, count);
    for (;;) {
        std::vector<SimPacket> replies;
        SimBehaviour switches;
        SimReplyFate fate = SimReplyFate::unanswered;
        {
            std::lock_guard lock(mutex);
            SimRequestRecord record;
            record.time = SimClock::now();
            record.baud = baud;
            if (model->ExpectsModemText()) {
                auto line = cutter.NextLine();
                if (!line)
                    return;
                record.framed = false;
                record.payload.assign(line->begin(), line->end());
                if (!model->Behaviour().silent)
                    replies = model->HandleModemLine(*line);
            } else {
                auto frame = cutter.NextFrame();
                if (!frame)
                    return;
                size_t length = frame->size();
                if (DecodeFrame(frame->data(), length) != linkStatusOk)
                    continue;  // junk or a damaged frame: a handset drops it unheard
                record.payload.assign(frame->begin(), frame->begin() + static_cast<long>(length));
                if (!model->Behaviour().silent)
                    replies = model->HandleFrame(record.payload, baud, record.time);
            }
            switches = model->Behaviour();
            if (!replies.empty()) {
                fate = SimReplyFate::answered;
                if (switches.loseEveryNthReply != 0 && ++replyCount % switches.loseEveryNthReply == 0)
                    fate = SimReplyFate::lost;
            }
            record.fate = fate;
            log.push_back(std::move(record));
            if (log.size() > maxLogEntries)
                log.pop_front();
            ++requestCount;
        }
        logChanged.notify_all();

        if (fate != SimReplyFate::answered)
            continue;
        if (const auto delay = NextDelay(switches); delay.count() > 0 && StopRequestedBy(SimClock::now() + delay))
            return;
        for (const auto& packet : replies)
            if (!Send(packet, switches))
                return;
    }
}

bool CHandsetHost::Send(const SimPacket& packet, const SimBehaviour& switches)
{
    std::vector<uint8_t> wire;
    if (packet.framed) {
        std::array<uint8_t, frameWorkAreaSize> frame{};
        const size_t length = EncodeFrame(packet.bytes.data(), packet.bytes.size(), frame.data(), !packet.openingFlag);
        if (length == 0)
            return true;  // the model keeps replies within the frame limit; nothing to send otherwise
        wire.assign(frame.begin(), frame.begin() + static_cast<long>(length));
        if (switches.noise) {
            std::vector<uint8_t> noisy = NoiseBytes(noiseState);
            const std::vector<uint8_t> damaged = Corrupted(wire);
            noisy.insert(noisy.end(), damaged.begin(), damaged.end());
            wire.insert(wire.begin(), noisy.begin(), noisy.end());
        }
    } else {
        wire = packet.bytes;
    }
    if (!WriteBytes(wire, switches.throttle ? LineRate() : 0))
        return false;
    ++repliesSent;
    return true;
}

bool CHandsetHost::WriteBytes(const std::vector<uint8_t>& bytes, uint32_t throttleBaud)
{
    const auto start = SimClock::now();
    // Throttled output leaves in slices of about 5 ms of line time.
    const size_t slice = throttleBaud == 0 ? bytes.size() : std::max<size_t>(1, throttleBaud / 10 / 200);
    size_t sent = 0;
    while (sent < bytes.size()) {
        const size_t end = std::min(bytes.size(), sent + slice);
        while (sent < end) {
            const ssize_t n = ::write(masterFd, bytes.data() + sent, end - sent);
            if (n > 0) {
                sent += static_cast<size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN)
                return !stopping;  // nobody can receive this reply; carry on listening
            pollfd fds[2] = {{masterFd, POLLOUT, 0}, {wakeFd, POLLIN, 0}};
            if (::poll(fds, 2, 1000) > 0 && fds[1].revents != 0)
                return false;
            if (stopping)
                return false;
        }
        if (throttleBaud != 0) {
            const auto due = start + std::chrono::microseconds(sent * 10 * 1000000 / throttleBaud);
            if (StopRequestedBy(due))
                return false;
        }
    }
    return true;
}

}  // namespace sim
