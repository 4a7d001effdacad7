// Serves a handset model on the master side of a pseudo-terminal, on a thread of its own. The
// slave side is the port a client opens; its line rate (read from the pty) decides whether the
// handset understands a request. Behaviours may be changed while it runs; every request it
// hears is recorded for tests.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/host_line.h"
#include "platform/line.h"
#include "sim/handset_model.h"
#include "sim/request_cutter.h"

namespace sim {

enum class SimReplyFate {
    answered,
    unanswered,  // not understood, not spoken at this rate, or silent
    lost         // answered by the model, then dropped on purpose
};

struct SimRequestRecord {
    SimClock::time_point time;
    uint32_t baud = 0;
    std::vector<uint8_t> payload;  // the decoded frame, or the modem text line
    bool framed = true;
    SimReplyFate fate = SimReplyFate::unanswered;
};

class CHandsetHost {
public:
    static constexpr size_t maxLogEntries = 10000;

    // Opens a pty pair and serves model on it. nullptr on failure, with the reason in error.
    static std::unique_ptr<CHandsetHost> Start(std::unique_ptr<CHandsetModel> model, std::string* error = nullptr);
    // Serves model on an in-process line called name; client receives the end a link opens.
    static std::unique_ptr<CHandsetHost> StartInProcess(std::unique_ptr<CHandsetModel> model,
                                                        const std::string& name,
                                                        std::unique_ptr<CLine>& client);

    ~CHandsetHost();
    CHandsetHost(const CHandsetHost&) = delete;
    CHandsetHost& operator=(const CHandsetHost&) = delete;

    // The terminal a client opens (e.g. "/dev/pts/7"), or the in-process line's name.
    const std::string& SlavePath() const { return pty->SlavePath(); }

    // Ends the serving thread at once (a pending delay or throttled write is cut short).
    void Stop();

    void UpdateBehaviour(const std::function<void(SimBehaviour&)>& change);
    SimBehaviour Behaviour() const;
    // Runs action on the model's file system while no request is being handled.
    void WithFileSystem(const std::function<void(CSimFileSystem&)>& action);

    // The slave's line rate in bits per second (0 when unknown).
    uint32_t LineRate() const;

    // The most recent requests (at most maxLogEntries), oldest first.
    std::vector<SimRequestRecord> RequestLog() const;
    // Requests heard since the start, including those dropped from the log.
    size_t RequestCount() const;
    // Reply packets written to the line since the start.
    size_t RepliesSent() const { return repliesSent.load(); }
    // Reply bytes damaged on purpose since the start.
    size_t DamagedReplyBytes() const { return damagedBytes.load(); }
    // Waits until RequestCount() reaches count; false when timeout passes first.
    bool WaitForRequests(size_t count, std::chrono::milliseconds timeout) const;

private:
    CHandsetHost(std::unique_ptr<CHandsetModel> model, std::unique_ptr<CHostLine> pty);
    // Starts serving model on line.
    static std::unique_ptr<CHandsetHost> Launch(std::unique_ptr<CHandsetModel> model,
                                                std::unique_ptr<CHostLine> line);

    void Run();
    void Process(const uint8_t* bytes, size_t count);
    // Sends one reply packet as the current switches say; false once a stop was requested.
    // With a split pause, the packet leaves in two halves with that pause between them.
    bool Send(const SimPacket& packet, const SimBehaviour& switches,
              std::chrono::milliseconds split = std::chrono::milliseconds(0));
    // The chosen reply (SimBehaviour::chosenReplies) that payload's reply is, if any.
    const SimChosenReply* ChosenFor(const std::vector<uint8_t>& payload, const SimBehaviour& switches);
    // Sends an event packet when one is due; the wait until the next one.
    uint32_t SendDueEvent(const SimBehaviour& switches);
    void Damage(std::vector<uint8_t>& wire, unsigned perMillion);
    bool WriteBytes(const std::vector<uint8_t>& bytes, uint32_t throttleBaud);
    // Waits until deadline; true when a stop was requested first. With readLine, bytes that
    // arrive meanwhile are held, to be worked through after the request in hand; without it
    // (the line has hung up, or the wait is the line's own pacing) the line is left alone.
    bool StopRequestedBy(SimClock::time_point deadline, bool readLine = true);
    // Waits until count bytes that reached the line at arrival could have crossed it, when
    // throttling is on; true when a stop was requested first.
    bool StopRequestedWhilePacing(size_t count, SimClock::time_point arrival);
    // The processing time of the next answered request.
    std::chrono::milliseconds NextDelay(const SimBehaviour& switches);

    std::unique_ptr<CHandsetModel> model;
    const std::unique_ptr<CHostLine> pty;

    mutable std::mutex mutex;  // guards model, log, requestCount, replyCount
    mutable std::condition_variable logChanged;
    std::deque<SimRequestRecord> log;
    size_t requestCount = 0;
    unsigned replyCount = 0;
    std::vector<unsigned> chosenSeen;  // requests heard for each chosen reply since the switches changed

    CRequestCutter cutter;  // touched by the serving thread only
    // Bytes read while the handset was busy, and when the first of them arrived; the serving
    // thread paces and processes them before it reads the line again.
    std::vector<uint8_t> heldBytes;
    SimClock::time_point heldSince;
    // With throttling on, requests arrive at the line rate: bytes are handled no sooner than a
    // real line could have carried them after the ones before.
    SimClock::time_point lineFreeAt = SimClock::now();
    SimClock::time_point nextEvent = SimClock::now();
    uint32_t noiseState = 0x2545F491u;
    std::minstd_rand delayRandom;  // serving thread only
    unsigned delaySeed = 0;         // the seed delayRandom was last given; 0: none yet
    uint32_t damageState = 20240611u;
    std::atomic<size_t> repliesSent{0};
    std::atomic<size_t> damagedBytes{0};
    std::atomic<bool> stopping{false};
    std::thread thread;
};

}  // namespace sim
