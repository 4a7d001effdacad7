// What the link tests add to the handset rig: a quicker detection profile, a recorder of the
// link's trace texts, a link opener, and a scripted peer for the replies the virtual handset
// never gives (odd status replies, error and foreign codes, an answer to the third attempt only).
#pragma once

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "link/frame_codec.h"
#include "platform/pty_master.h"
#include "sim/request_cutter.h"
#include "support/handset_rig.h"

using namespace std::chrono_literals;
using rig::Bytes;
using rig::Clock;

// Detection probes scaled down; sends of 600 ms or more are tried once.
inline LinkTiming Quick()
{
    LinkTiming timing = rig::FastTiming();
    timing.probeReplyMs = 150;
    timing.modemReplyMs = 60;
    timing.modemSettleMs = 20;
    timing.singleAttemptMs = 600;
    return timing;
}

// The link's trace texts while it lives; lets go of the link when the recorder goes first.
class CTraces {
public:
    explicit CTraces(CTraceBase& traced) : link(traced)
    {
        link.SetTraceListener([this](const std::string& piece) {
            std::lock_guard guard(lock);
            text += piece;
        });
    }
    ~CTraces() { link.SetTraceListener({}); }
    size_t Count(const std::string& needle)
    {
        std::lock_guard guard(lock);
        size_t count = 0;
        for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
            ++count;
        return count;
    }

private:
    CTraceBase& link;
    std::mutex lock;
    std::string text;
};

inline bool Opens(CDiagPort& link, const std::string& port)
{
    return link.CreateEvents() == linkStatusOk && link.OpenPort(port) == linkStatusOk;
}

// A link opened on port; with ready, the test fails unless it finds the handset Ready.
inline std::unique_ptr<CDiagPort> OpenLink(const std::string& port, const LinkTiming& timing = Quick(), bool ready = true)
{
    auto link = std::make_unique<CDiagPort>(timing);
    EXPECT_TRUE(Opens(*link, port));
    EXPECT_TRUE(!ready || rig::WaitUntil(20s, [&] { return link->GetPhoneStatus() == phoneStatusReady; }));
    return link;
}

// SendSync with Bytes; reply receives the reply on success, the untouched buffer otherwise.
inline LinkStatus Send(CDiagPort& link, const Bytes& request, uint32_t timeoutMs, Bytes* reply = nullptr,
                       CommandType type = cmdTypeDiag, uint32_t detail = 0, int16_t capacity = 256)
{
    Bytes buffer(static_cast<size_t>(std::max<int16_t>(capacity, 1)), 0xAA);
    int16_t length = capacity;
    const LinkStatus status = link.SendSync(static_cast<uint32_t>(request.size()), request.data(), type, detail,
                                            timeoutMs, &length, buffer.data());
    if (status == linkStatusOk)
        buffer.resize(static_cast<size_t>(length));
    if (reply != nullptr)
        *reply = buffer;
    return status;
}

// The simplest diagnostic handset: a status reply of statusLength bytes with modeWord at 32,
// the rate switch acknowledged, basic information, mode changes acknowledged and ignored.
inline Bytes PlainHandset(const Bytes& request, uint16_t modeWord = 0, size_t statusLength = 48)
{
    switch (request[0]) {
    case 0x0C: {
        Bytes status(48, 0);
        status[0] = 0x0C;
        status[32] = static_cast<uint8_t>(modeWord & 0xFF);
        status[33] = static_cast<uint8_t>(modeWord >> 8);
        status.resize(statusLength);
        return status;
    }
    case 0x5C: return {0x5C, 0x01, 0x01};
    case 0x00: return {0x00, 'T'};
    case 0x29: return {0x29, request.size() > 1 ? request[1] : uint8_t{0}, 0x00};
    default: return {};
    }
}

// A pseudo-terminal whose far end answers each request that decodes with the payload script
// returns (nothing when empty), and sends the frames a test pushes unasked.
class CScriptedPeer {
public:
    using Script = std::function<Bytes(const Bytes& request)>;

    explicit CScriptedPeer(Script answer) : script(std::move(answer)), thread([this] { Run(); }) {}
    ~CScriptedPeer()
    {
        pty->Wake();
        thread.join();
    }
    const std::string& Port() const { return pty->SlavePath(); }
    void Push(const Bytes& payload) { Write(rig::Frame(payload)); }

private:
    void Run()
    {
        sim::CRequestCutter frames;
        uint8_t chunk[4096];
        for (PtyWaitResult event; (event = pty->Wait(PtyWatch::input, 20)) != PtyWaitResult::woken;) {
            if (event != PtyWaitResult::ready) {
                std::this_thread::sleep_for(2ms);  // nothing yet, or a line in trouble
                continue;
            }
            frames.Append(chunk, pty->Read(chunk, sizeof chunk).bytes);
            while (auto frame = frames.NextFrame()) {
                size_t length = frame->size();
                if (DecodeFrame(frame->data(), length) != linkStatusOk)
                    continue;  // modem text or damage
                frame->resize(length);
                if (const Bytes reply = script(*frame); !reply.empty())
                    Write(rig::Frame(reply));
            }
        }
    }
    void Write(const Bytes& bytes)
    {
        std::lock_guard guard(writing);
        for (size_t sent = 0; sent < bytes.size() && pty->Wait(PtyWatch::output, 1000) == PtyWaitResult::ready;)
            sent += pty->Write(bytes.data() + sent, bytes.size() - sent).bytes;
    }

    Script script;
    std::string error;
    const std::unique_ptr<CPtyMaster> pty = CPtyMaster::Open(error);
    std::mutex writing;  // pushes and replies come from different threads
    std::thread thread;
};
