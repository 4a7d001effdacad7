#include "link_fixture.h"

#include <thread>

LinkTiming FastTiming()
{
    LinkTiming timing;
    timing.pollPeriodMs = 60;
    timing.pollIdleMs = 20;
    timing.probeReplyMs = 150;
    timing.probeCallMs = 2000;
    timing.rateSwitchCallMs = 1000;
    timing.basicInfoCallMs = 500;
    timing.modemWaitMs = 2000;
    timing.modemReplyMs = 60;
    timing.modemSettleMs = 20;
    timing.senderSlackMs = 1000;
    timing.singleAttemptMs = 600;
    timing.writeTimeoutMs = 2000;
    timing.hangUpBackoffMs = 50;
    timing.modeChangeCallMs = 300;
    timing.modeWaitPeriodMs = 20;
    return timing;
}

TraceListener CTraceRecorder::Listener()
{
    return [this](const std::string& piece) {
        std::lock_guard guard(lock);
        text += piece;
    };
}

std::string CTraceRecorder::Text()
{
    std::lock_guard guard(lock);
    return text;
}

size_t CTraceRecorder::Count(const std::string& needle)
{
    const std::string all = Text();
    size_t count = 0;
    for (size_t at = all.find(needle); at != std::string::npos; at = all.find(needle, at + 1))
        ++count;
    return count;
}

bool CTraceRecorder::WaitFor(const std::string& needle, std::chrono::milliseconds deadline)
{
    return WaitUntil([&] { return Count(needle) > 0; }, deadline);
}

LinkUnderTest::LinkUnderTest(const LinkTiming& timing, CScriptedPeer::Handler handler)
{
    peer = std::make_unique<CScriptedPeer>(pty, handler ? handler : handset.Handler());
    link = std::make_unique<CDiagPort>(timing);
    link->SetTraceListener(traces.Listener());
}

LinkUnderTest::~LinkUnderTest()
{
    link.reset();
    peer.reset();
}

LinkStatus LinkUnderTest::Open()
{
    const LinkStatus created = link->CreateEvents();
    return created != linkStatusOk ? created : link->OpenPort(pty.SlavePath());
}

bool LinkUnderTest::OpenReady()
{
    return Open() == linkStatusOk &&
           WaitUntil([&] { return link->GetPhoneStatus() == phoneStatusReady; },
                     std::chrono::seconds(20));
}

LinkStatus LinkUnderTest::Send(const Bytes& request, uint32_t timeoutMs, Bytes* reply,
                               CommandType type, uint32_t detail, int16_t capacity)
{
    Bytes buffer(static_cast<size_t>(capacity > 0 ? capacity : 1), 0xAA);
    int16_t length = capacity;
    const LinkStatus status =
        link->SendSync(static_cast<uint32_t>(request.size()), request.data(), type, detail,
                       timeoutMs, &length, buffer.data());
    if (reply != nullptr) {
        if (status == linkStatusOk)
            buffer.resize(static_cast<size_t>(length));
        *reply = buffer;
    }
    return status;
}
