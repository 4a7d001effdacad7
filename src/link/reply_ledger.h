// Which written request an arriving reply answers. The handset works through its requests one
// at a time, in order, so replies arrive in the order the requests were written, even when they
// come later than the attempt that waited for them. The ledger keeps every written attempt
// whose reply has not come yet; each reply is laid against the oldest of them. A reply is
// handed to the current request only when it answers an attempt of that same request, never
// when it is owed to an earlier one. An attempt whose reply is overdue is written again, but it
// stays owed until a later reply shows its own was lost, so a lost reply costs attempts, never
// a wrong answer.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

class CReplyLedger {
public:
    // An attempt of request (its payload, command code first) went out at tick now.
    void Written(const std::vector<uint8_t>& request, bool anyReplyFits, uint32_t now);

    // Lays a packet arriving at tick now against the attempts still owed. current is the
    // request whose reply is awaited (null when none is); anyReplyFits as for Written. True
    // when the packet answers current.
    bool Claim(const std::vector<uint8_t>* current, bool anyReplyFits, const uint8_t* packet,
               size_t length, uint32_t now);

    // False while an earlier attempt of request is still owed and may yet be answered: writing
    // it again would only queue more work ahead of the next request on a slow handset. An
    // attempt older than longestWaitMs is written again whatever the replies so far suggest,
    // so the request keeps a retry within its attempts.
    bool ShouldRewrite(const std::vector<uint8_t>& request, uint32_t now, uint32_t longestWaitMs);

    // Before a new request goes out: waits for the replies earlier attempts still owe until
    // they are overdue, then takes the rest as lost. A reply that was lost therefore costs one
    // wait here instead of shifting every later reply onto the request after its own.
    void Settle();

    // Forgets every owed attempt (a new port setting, or the link closing).
    void Clear();

    // Waits up to ms until no owed attempt may still be answered; true when none is left.
    bool WaitSettled(uint32_t ms);

    // How long after its write an unanswered attempt is taken as lost.
    uint32_t OverdueAfterMs();

private:
    struct Attempt {
        std::vector<uint8_t> request;
        bool anyReplyFits;  // download settings: any packet answers
        uint32_t writtenAt;
    };

    uint32_t OverdueLocked() const;
    bool AllOverdueLocked(uint32_t now) const;
    void NoteLatencyLocked(uint32_t latency);

    std::mutex lock;
    std::condition_variable settled;
    std::deque<Attempt> owed;
    static constexpr size_t maxOwed = 64;
    // The first write of the latest request, for its reply's latency.
    std::vector<uint8_t> latestRequest;
    uint32_t latestFirstWrite = 0;
    // Latencies of the last replies taken; the slowest sets when an attempt is overdue.
    static constexpr size_t latencyHistory = 8;
    uint32_t latencies[latencyHistory] = {};
    size_t nextLatency = 0;
};

// Whether packet can be the reply to request: the echoed command code (or an error reply naming
// it), and for EFS replies the echoed subcommand and, for read blocks, the sequence number.
bool ReplyFitsRequest(const std::vector<uint8_t>& request, const uint8_t* packet, size_t length);
