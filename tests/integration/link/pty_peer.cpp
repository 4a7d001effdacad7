#include "pty_peer.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <stdexcept>

#include "link/frame_codec.h"

Bytes Frame(const Bytes& payload, bool openingFlag)
{
    std::array<uint8_t, frameWorkAreaSize> work{};
    const size_t n = EncodeFrame(payload.data(), payload.size(), work.data(), !openingFlag);
    return Bytes(work.begin(), work.begin() + static_cast<long>(n));
}

CPtyPair::CPtyPair()
{
    master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
        throw std::runtime_error("no pseudo-terminal");
    char name[128];
    if (ptsname_r(master, name, sizeof name) != 0)
        throw std::runtime_error("no pseudo-terminal name");
    slavePath = name;
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
}

CPtyPair::~CPtyPair()
{
    CloseMaster();
}

void CPtyPair::CloseMaster()
{
    if (master >= 0)
        close(master);
    master = -1;
}

uint32_t CPtyPair::Baud() const
{
    termios settings{};
    if (master < 0 || tcgetattr(master, &settings) != 0)
        return 0;
    switch (cfgetospeed(&settings)) {
    case B19200: return 19200;
    case B38400: return 38400;
    case B115200: return 115200;
    default: return 0;
    }
}

CScriptedPeer::CScriptedPeer(CPtyPair& pair, Handler answer)
    : pty(pair), handler(std::move(answer)), thread([this] { Run(); })
{
}

CScriptedPeer::~CScriptedPeer()
{
    stop.Set();
    thread.join();
}

void CScriptedPeer::Send(const Bytes& bytes)
{
    SendToLink(pty, bytes);
}

void SendToLink(CPtyPair& pty, const Bytes& bytes)
{
    size_t done = 0;
    while (done < bytes.size() && pty.MasterFd() >= 0) {
        const ssize_t n = write(pty.MasterFd(), bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else {
            pollfd fd{pty.MasterFd(), POLLOUT, 0};
            if (poll(&fd, 1, 1000) <= 0)
                return;
        }
    }
}

std::vector<PeerRequest> CScriptedPeer::Requests()
{
    std::lock_guard guard(lock);
    return requests;
}

size_t CScriptedPeer::RequestCount()
{
    std::lock_guard guard(lock);
    return requests.size();
}

bool CScriptedPeer::WaitForRequests(size_t count, std::chrono::milliseconds deadline)
{
    return WaitUntil([&] { return RequestCount() >= count; }, deadline);
}

void CScriptedPeer::Run()
{
    std::array<uint8_t, 4096> chunk{};
    while (!stop.IsSet() && pty.MasterFd() >= 0) {
        pollfd fds[2] = {{pty.MasterFd(), POLLIN, 0}, {stop.PollHandle(), POLLIN, 0}};
        if (poll(fds, 2, -1) <= 0 || (fds[1].revents & POLLIN))
            continue;
        const ssize_t n = read(pty.MasterFd(), chunk.data(), chunk.size());
        if (n <= 0) {
            // The slave side is closed: wait for it to be opened again, or for the stop.
            stop.Wait(5);
            continue;
        }
        pending.insert(pending.end(), chunk.begin(), chunk.begin() + n);
        Parse();
    }
}

void CScriptedPeer::Parse()
{
    for (;;) {
        PeerRequest request;
        request.baud = pty.Baud();
        if (pending.size() >= 2 && pending[0] == 'A' && pending[1] == 'T') {
            size_t end = 0;
            while (end < pending.size() && pending[end] != '\r')
                ++end;
            if (end == pending.size())
                return;
            request.raw = true;
            request.payload.assign(pending.begin(), pending.begin() + static_cast<long>(end) + 1);
            pending.erase(pending.begin(), pending.begin() + static_cast<long>(end) + 1);
        } else {
            size_t close = 1;
            while (close < pending.size() && pending[close] != frameFlag)
                ++close;
            if (close >= pending.size())
                return;
            Bytes frame(pending.begin(), pending.begin() + static_cast<long>(close) + 1);
            pending.erase(pending.begin(), pending.begin() + static_cast<long>(close) + 1);
            request.openingFlag = frame.front() == frameFlag;
            size_t length = frame.size();
            if (length < 4 || DecodeFrame(frame.data(), length) != linkStatusOk)
                continue;
            frame.resize(length);
            request.payload = frame;
        }
        {
            std::lock_guard guard(lock);
            requests.push_back(request);
        }
        const Bytes answer = handler ? handler(request) : Bytes();
        if (!answer.empty())
            Send(answer);
    }
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds deadline)
{
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}
