#include "sim/handset_host.h"

#include <algorithm>
#include <array>

#include "link/frame_codec.h"
#include "platform/loop_line.h"
#include "platform/pty_master.h"

namespace sim {

namespace {

// The next draw of a small seeded generator; runs repeat exactly from the same seed.
uint32_t NextDraw(uint32_t& state)
{
    return state = state * 1664525u + 1013904223u;
}

// Junk that is not a frame: bytes without a flag, then a flag that ends them.
std::vector<uint8_t> NoiseBytes(uint32_t& state)
{
    std::vector<uint8_t> bytes;
    for (int i = 0; i < 8; ++i) {
        auto byte = static_cast<uint8_t>(NextDraw(state) >> 24);
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

std::unique_ptr<CHandsetHost> CHandsetHost::Start(std::unique_ptr<CHandsetModel> model, std::string* error)
{
    std::string ignored;
    std::string& reason = error != nullptr ? *error : ignored;
    if (!model) {
        reason = "no handset model";
        return nullptr;
    }
    auto pty = CPtyMaster::Open(reason);
    if (!pty)
        return nullptr;
    return Launch(std::move(model), std::move(pty));
}

std::unique_ptr<CHandsetHost> CHandsetHost::StartInProcess(std::unique_ptr<CHandsetModel> model,
                                                           const std::string& name,
                                                           std::unique_ptr<CLine>& client)
{
    if (!model)
        return nullptr;
    auto line = MakeLoopLine(name);
    client = std::move(line.client);
    return Launch(std::move(model), std::move(line.host));
}

std::unique_ptr<CHandsetHost> CHandsetHost::Launch(std::unique_ptr<CHandsetModel> model,
                                                   std::unique_ptr<CHostLine> line)
{
    auto host = std::unique_ptr<CHandsetHost>(new CHandsetHost(std::move(model), std::move(line)));
    host->thread = std::thread([raw = host.get()] { raw->Run(); });
    return host;
}

CHandsetHost::CHandsetHost(std::unique_ptr<CHandsetModel> m, std::unique_ptr<CHostLine> line)
    : model(std::move(m)), pty(std::move(line))
{
}

CHandsetHost::~CHandsetHost()
{
    Stop();
}

void CHandsetHost::Stop()
{
    stopping = true;
    pty->Wake();
    if (thread.joinable() && thread.get_id() != std::this_thread::get_id())
        thread.join();
}

void CHandsetHost::UpdateBehaviour(const std::function<void(SimBehaviour&)>& change)
{
    std::lock_guard lock(mutex);
    change(model->Behaviour());
    chosenSeen.assign(model->Behaviour().chosenReplies.size(), 0);
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
    return pty->SlaveBaud();
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
        const PtyWaitResult event = pty->Wait(readLine ? PtyWatch::input : PtyWatch::nothing,
                                              static_cast<uint32_t>(std::min<long long>(left, 1000)));
        if (event == PtyWaitResult::woken)
            return true;
        if (event == PtyWaitResult::hungUp) {
            readLine = false;  // wait on without reading
            continue;
        }
        if (event != PtyWaitResult::ready)
            continue;
        // A real handset keeps receiving while it works: hold what arrives, so unread requests
        // cannot be purged away by the other side, and pace it once the handset is free.
        std::array<uint8_t, 4096> bytes{};
        const PtyTransfer got = pty->Read(bytes.data(), bytes.size());
        if (got.bytes > 0) {
            if (heldBytes.empty())
                heldSince = SimClock::now();
            heldBytes.insert(heldBytes.end(), bytes.data(), bytes.data() + got.bytes);
        } else if (got.lineGone) {
            readLine = false;
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
        const PtyWaitResult event = pty->Wait(PtyWatch::input, SendDueEvent(Behaviour()));
        if (event == PtyWaitResult::woken || event == PtyWaitResult::failed || stopping)
            break;
        if (event == PtyWaitResult::timedOut)
            continue;
        if (event == PtyWaitResult::ready) {
            const PtyTransfer got = pty->Read(buffer.data(), buffer.size());
            if (got.bytes > 0) {
                if (StopRequestedWhilePacing(got.bytes, SimClock::now()))
                    break;
                Process(buffer.data(), got.bytes);
                continue;
            }
            if (!got.lineGone)
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
        const SimChosenReply* chosen = nullptr;  // points into switches
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
                chosen = ChosenFor(record.payload, switches);
                if (chosen && chosen->fault == SimReplyFault::lose)
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
        auto delay = NextDelay(switches);
        if (chosen && chosen->fault == SimReplyFault::delay)
            delay += chosen->pause;
        if (delay.count() > 0 && StopRequestedBy(SimClock::now() + delay))
            return;
        const bool split = chosen && chosen->fault == SimReplyFault::split;
        for (const auto& packet : replies)
            if (!Send(packet, switches, split ? chosen->pause : std::chrono::milliseconds(0)))
                return;
    }
}

const SimChosenReply* CHandsetHost::ChosenFor(const std::vector<uint8_t>& payload, const SimBehaviour& switches)
{
    chosenSeen.resize(switches.chosenReplies.size(), 0);
    const SimChosenReply* found = nullptr;
    for (size_t i = 0; i < switches.chosenReplies.size(); ++i) {
        const SimChosenReply& each = switches.chosenReplies[i];
        if (payload.size() >= each.requestStart.size() + each.requestEnd.size() &&
            std::equal(each.requestStart.begin(), each.requestStart.end(), payload.begin()) &&
            std::equal(each.requestEnd.rbegin(), each.requestEnd.rend(), payload.rbegin()) &&
            ++chosenSeen[i] == each.occurrence)
            found = &each;
    }
    return found;
}

uint32_t CHandsetHost::SendDueEvent(const SimBehaviour& switches)
{
    if (switches.eventPeriod.count() <= 0)
        return waitInfinite;
    const auto now = SimClock::now();
    if (now >= nextEvent) {
        // An event report as handsets with event reporting on send them unasked.
        Send({{0x60, 0x01, 0x00, 0x00, 0x00}}, switches);
        nextEvent = now + switches.eventPeriod;
    }
    return static_cast<uint32_t>(std::chrono::ceil<std::chrono::milliseconds>(nextEvent - now).count());
}

bool CHandsetHost::Send(const SimPacket& packet, const SimBehaviour& switches, std::chrono::milliseconds split)
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
    if (switches.damagedBytesPerMillion != 0)
        Damage(wire, switches.damagedBytesPerMillion);
    if (split.count() > 0) {
        const std::vector<uint8_t> first(wire.begin(), wire.begin() + static_cast<long>(wire.size() / 2));
        wire.erase(wire.begin(), wire.begin() + static_cast<long>(first.size()));
        if (!WriteBytes(first, switches.throttle ? LineRate() : 0) || StopRequestedBy(SimClock::now() + split))
            return false;
    }
    if (!WriteBytes(wire, switches.throttle ? LineRate() : 0))
        return false;
    ++repliesSent;
    return true;
}

void CHandsetHost::Damage(std::vector<uint8_t>& wire, unsigned perMillion)
{
    const uint64_t threshold = uint64_t{perMillion} * UINT32_MAX / 1000000;
    for (auto& byte : wire) {
        if (const uint32_t draw = NextDraw(damageState); draw < threshold) {
            byte ^= static_cast<uint8_t>((draw >> 24) | 1u);  // never a no-op change
            ++damagedBytes;
        }
    }
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
            const PtyTransfer put = pty->Write(bytes.data() + sent, end - sent);
            sent += put.bytes;
            if (put.bytes > 0)
                continue;
            if (put.lineGone)
                return !stopping;  // nobody can receive this reply; carry on listening
            if (pty->Wait(PtyWatch::output, 1000) == PtyWaitResult::woken || stopping)
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
