// Finding the handset: which mode it is in (diagnostic online or offline, download, stream
// download, or a data phone that needs the modem switch) and at which rate it speaks.
#include "link/phone_detector.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <mutex>
#include <string_view>

namespace {

constexpr size_t statusReplyLength = 48;
constexpr size_t statusModeOffset = 32;
// The basic information reply: its code, compile date and time, release date and time (11, 8,
// 11 and 8 characters), then the model name in 8.
constexpr size_t modelOffset = 39;
constexpr size_t modelLength = 8;

// The stream-download hello: 01, the 32-character host text, then 02 02 01.
constexpr std::array<uint8_t, 36> StreamHello()
{
    std::array<uint8_t, 36> hello{};
    constexpr std::string_view text = "ZELK fast download protocol host";
    hello[0] = 0x01;
    for (size_t i = 0; i < text.size(); ++i)
        hello[1 + i] = static_cast<uint8_t>(text[i]);
    hello[33] = 0x02;
    hello[34] = 0x02;
    hello[35] = 0x01;
    return hello;
}

uint32_t RateOf(int32_t kind)
{
    return kind == linkDiagHigh ? baudHigh : baudDiagLow;
}

bool Contains(const uint8_t* bytes, size_t length, std::string_view text)
{
    const std::string_view received(reinterpret_cast<const char*>(bytes), length);
    return received.find(text) != std::string_view::npos;
}

}  // namespace

LinkStatus CPhoneDetector::ProbeDiagStatus(int32_t& status, int32_t& mode, uint8_t* reply,
                                           int16_t& capacity)
{
    const uint8_t request = statusProbeCode;
    const bool highFirst = link.currentRate.load() == baudHigh;
    const int32_t kinds[2] = {highFirst ? linkDiagHigh : linkDiagLow,
                              highFirst ? linkDiagLow : linkDiagHigh};
    const int16_t givenCapacity = capacity;
    LinkStatus result = linkStatusFail;
    // A handset that a previous run left at 115200 answers there at once. Until a probe has
    // been answered, one short probe at that rate goes first, so such a handset is found
    // without the attempts at 38400; one at 38400 still gets all of those.
    if (!highFirst && link.statusProbesAnswered.load() == 0) {
        result = ProbeOnce(linkDiagHigh, link.timing.warmProbeMs, reply, capacity);
        if (result == linkStatusOk && capacity == static_cast<int16_t>(statusReplyLength))
            link.currentRate.store(baudHigh);
        else
            result = linkStatusFail;
    }
    for (const int32_t kind : kinds) {
        if (result == linkStatusOk)
            break;
        capacity = givenCapacity;
        result = sender.SendSync(1, &request, cmdTypeProbe, static_cast<uint32_t>(kind),
                                 link.timing.probeCallMs, &capacity, reply);
        link.currentRate.store(RateOf(kind));
        if (result == linkStatusOk) {
            link.statusProbesAnswered.fetch_add(1);
            link.phoneStateEvent.Set();
            break;
        }
        link.phoneStateEvent.Set();
    }
    if (result == linkStatusOk && link.currentRate.load() == baudHigh && link.statusProbesAnswered.load() == 0) {
        link.statusProbesAnswered.fetch_add(1);  // the warm probe's answer
        link.phoneStateEvent.Set();
    }
    if (result != linkStatusOk || capacity != static_cast<int16_t>(statusReplyLength))
        return linkStatusFail;
    const unsigned word = reply[statusModeOffset] | (unsigned{reply[statusModeOffset + 1]} << 8);
    status = phoneStatusReady;
    mode = (word == 2 || word == 6) ? modeDiagnosticOffline : modeDiagnostic;
    return linkStatusOk;
}

LinkStatus CPhoneDetector::ProbeOnce(int32_t kind, uint32_t replyMs, uint8_t* reply, int16_t& capacity)
{
    const uint8_t request = statusProbeCode;
    auto record = std::make_shared<CDiagCommand>(encFramed);
    record->type = cmdTypeProbe;
    record->linkKind = kind;
    record->detail = static_cast<uint32_t>(kind);
    record->replyTimeout = replyMs;
    record->attempts = 1;
    record->tag = NextCommandTag();
    if (record->BuildFrame(&request, 1) != linkStatusOk)
        return linkStatusFail;
    return sender.SubmitCommand(record, true, replyMs + link.timing.senderSlackMs, &capacity, reply);
}

LinkStatus CPhoneDetector::ProbeDownload(int32_t& status, int32_t& mode)
{
    const uint8_t request = 0x06;
    std::array<uint8_t, 8> reply{};
    int16_t length = static_cast<int16_t>(reply.size());
    const LinkStatus result = sender.SendSync(1, &request, cmdTypeProbe, linkDownload,
                                              link.timing.probeCallMs, &length, reply.data());
    if (result != linkStatusOk || length < 1 || reply[0] != 0x02)
        return linkStatusFail;
    status = phoneStatusReady;
    mode = modeDownload;
    return linkStatusOk;
}

LinkStatus CPhoneDetector::ProbeStreamDownload(int32_t& status, int32_t& mode)
{
    static constexpr auto hello = StreamHello();
    std::array<uint8_t, 256> reply{};
    int16_t length = static_cast<int16_t>(reply.size());
    const LinkStatus result = sender.SendSync(static_cast<uint32_t>(hello.size()), hello.data(),
                                              cmdTypeProbe, linkStreamDownload, link.timing.probeCallMs,
                                              &length, reply.data());
    if (result != linkStatusOk || length < 1 || reply[0] != 0x02)
        return linkStatusFail;
    status = phoneStatusReady;
    mode = modeStreamDownload;
    return linkStatusOk;
}

LinkStatus CPhoneDetector::SwitchTo115200()
{
    if (link.currentRate.load() == baudHigh)
        return linkStatusOk;
    const uint8_t request[6] = {0x5C, 0x01, 0x00, 0xC2, 0x01, 0x00};  // 115200 little-endian
    std::array<uint8_t, 19> reply{};
    int16_t length = static_cast<int16_t>(reply.size());
    const LinkStatus result = sender.SendSync(sizeof request, request, cmdTypeProbe, linkDiagLow,
                                              link.timing.rateSwitchCallMs, &length, reply.data());
    if (result != linkStatusOk)
        return result;
    if (length < 3 || reply[0] != 0x5C || reply[1] != 0x01 || reply[2] != 0x01)
        return linkStatusFail;
    link.currentRate.store(baudHigh);
    return linkStatusOk;
}

std::string CPhoneDetector::PhoneModel() const
{
    std::lock_guard guard(modelLock);
    return phoneModel;
}

LinkStatus CPhoneDetector::ReadBasicInfo()
{
    SwitchTo115200();
    const uint8_t request = 0x00;
    const int32_t kind = link.currentRate.load() != baudDiagLow ? linkDiagHigh : linkDiagLow;
    std::array<uint8_t, 2048> reply{};
    int16_t length = static_cast<int16_t>(reply.size());
    const LinkStatus result = sender.SendSync(1, &request, cmdTypeProbe, static_cast<uint32_t>(kind),
                                              link.timing.basicInfoCallMs, &length, reply.data());
    if (result == linkStatusOk && length > 0 && static_cast<size_t>(length) > modelOffset) {
        // The model field is text the handset chose: printable bytes up to its first zero.
        const size_t end = std::min(static_cast<size_t>(length), modelOffset + modelLength);
        std::string model;
        for (size_t i = modelOffset; i < end && reply[i] != 0; ++i)
            if (reply[i] >= 0x20 && reply[i] < 0x7F)
                model += static_cast<char>(reply[i]);
        while (!model.empty() && model.back() == ' ')
            model.pop_back();
        std::lock_guard guard(modelLock);
        phoneModel = model;
    }
    return result;
}

bool CPhoneDetector::SendModemCommand(int32_t kind, const char* text, uint8_t* replyBuffer,
                                      uint32_t waitMs, uint32_t replyTimeout, uint32_t* receivedLength)
{
    if (text == nullptr || replyBuffer == nullptr)
        return false;
    auto record = std::make_shared<CDiagCommand>(encRaw);
    record->type = cmdTypeProbe;
    record->linkKind = kind;
    record->detail = static_cast<uint32_t>(kind);
    record->replyTimeout = replyTimeout;
    record->tag = NextCommandTag();
    if (record->BuildFrame(reinterpret_cast<const uint8_t*>(text),
                           static_cast<uint32_t>(std::strlen(text))) != linkStatusOk)
        return false;
    int16_t length = 2048;
    const LinkStatus result = sender.SubmitCommand(record, true, waitMs, &length, replyBuffer);
    if (result != linkStatusOk || length <= 0)
        return false;
    if (receivedLength != nullptr)
        *receivedLength = static_cast<uint32_t>(length);
    return true;
}

LinkStatus CPhoneDetector::SwitchModemToDiag(int32_t kind)
{
    std::array<uint8_t, 2048> reply{};
    uint32_t received = 0;
    if (!SendModemCommand(kind, "AT$KTDMG\r", reply.data(), link.timing.modemWaitMs,
                          link.timing.modemReplyMs, &received) ||
        !Contains(reply.data(), received, "OK\r\n"))
        return linkStatusFail;
    trace.Trace("Data phone found and put into Diag mode...\n");
    link.closingEvent.Wait(link.timing.modemSettleMs);  // lets the phone settle; ends at once on close
    return linkStatusOk;
}

void CPhoneDetector::FinishCollecting()
{
    {
        std::lock_guard guard(link.statusLock);
        link.collectingInfo = false;
    }
    link.cmdQueuedEvent.Set();  // the writer resumes the commands it held back
}

LinkStatus CPhoneDetector::CollectPhoneInfo()
{
    if (!link.running.load())
        return linkStatusFail;
    {
        std::lock_guard guard(link.statusLock);
        if (link.collectingInfo)
            return linkStatusFail;
        link.collectingInfo = true;
    }

    int32_t status = phoneStatusNone;
    int32_t mode = modeNone;
    std::array<uint8_t, 256> reply{};
    int16_t length = static_cast<int16_t>(reply.size());

    // The last known mode decides the first probe.
    bool found = false;
    const int32_t knownMode = link.phoneMode.load();
    if (knownMode == modeDownload)
        found = ProbeDownload(status, mode) == linkStatusOk;
    else if (knownMode == modeStreamDownload)
        found = ProbeStreamDownload(status, mode) == linkStatusOk;
    if (!found)
        found = ProbeDiagStatus(status, mode, reply.data(), length) == linkStatusOk;
    if (!link.running.load()) {
        FinishCollecting();
        return linkStatusFail;
    }

    if (!found) {
        if (link.phoneMode.load() == modeNone &&
            (SwitchModemToDiag(linkModemLow) == linkStatusOk ||
             SwitchModemToDiag(linkModemHigh) == linkStatusOk)) {
            length = static_cast<int16_t>(reply.size());
            found = ProbeDiagStatus(status, mode, reply.data(), length) == linkStatusOk;
        }
        if (!found)
            found = ProbeDownload(status, mode) == linkStatusOk ||
                    ProbeStreamDownload(status, mode) == linkStatusOk;
    }
    if (!link.running.load()) {
        FinishCollecting();
        return linkStatusFail;
    }
    if (!found) {
        status = phoneStatusNone;
        mode = modeNone;
    }

    if (status != link.phoneStatus.load() || mode != link.phoneMode.load()) {
        bool store = true;
        if (status == phoneStatusReady && (mode == modeDiagnostic || mode == modeDiagnosticOffline) &&
            ReadBasicInfo() != linkStatusOk) {
            trace.Trace("Failed to collect the basic phone information\n");
            store = false;  // the next poll tries again
        }
        if (store) {
            link.phoneStatus.store(status);
            link.phoneMode.store(mode);
            link.phoneStateEvent.Set();
            TracePhoneState(status, mode);
        }
    }
    FinishCollecting();
    return linkStatusOk;
}


void CPhoneDetector::TracePhoneState(int32_t status, int32_t mode)
{
    if (status == phoneStatusNone)
        trace.Trace("Phone Status: phoneStatusNone");
    else if (status == phoneStatusReady)
        trace.Trace("Phone Status: phoneStatusReady");
    else
        trace.Trace("Phone Status: %d", status);
    switch (mode) {
    case modeDiagnostic: trace.Trace(", Mode: modeDiagnostic\n"); break;
    case modeDiagnosticOffline: trace.Trace(", Mode: modeDiagnosticOffline\n"); break;
    case modeDownload: trace.Trace(", Mode: modeDownload\n"); break;
    case modeStreamDownload: trace.Trace(", Mode: modeStreamDownload\n"); break;
    default: trace.Trace(", Mode: %d\n", mode); break;
    }
}
