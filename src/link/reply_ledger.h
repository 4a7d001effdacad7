// Which written request an arriving reply answers, and what a lost reply costs.
//
// The handset works through its requests one at a time, in order, so replies arrive in the
// order the requests were written, even when they come later than the attempt that waited for
// them. The ledger keeps every written attempt whose reply has not come yet ("owed"); each reply
// is laid against the oldest owed attempt it fits, and the attempts ahead of that one lost theirs.
// The rule, so that one lost reply costs one time-out and no reply answers the wrong request:
//  - Lost or late is told by what the line shows. A damaged frame is the reply of the oldest
//    owed attempt, lost: that attempt is no longer owed, so its retry's reply is unambiguous.
//  - Replies still owed when a new request is about to go out are waited for only as long as
//    this handset's recent replies justify (twice the slowest of the last few, each timed from
//    the latest write it can answer, or from its own attempt's write once it proved late), never
//    a whole time-out beyond the attempt's own. Then they are abandoned: no longer waited for,
//    but still owed.
//  - A reply that fits both an abandoned attempt and the current request is taken tentatively.
//    When another reply fitting the current request follows within the recent replies' bound
//    (whatever the request's time-out), the first was the abandoned attempt's (it is counted
//    stray) and the second is the current one's; otherwise the abandoned attempts had lost theirs. So a late reply is never laid
//    against the next request as long as the handset keeps to its recent pace, and where a
//    reply carries a tie (the matcher) it never is.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <span>
#include <vector>

#include "link/diag_command.h"
#include "link/reply_matcher.h"

class CReplyLedger {
public:
    // What a packet is to the current request.
    enum class Claimed { no, taken, replacesTentative };

    // An attempt of record's request (its payload, command code first) went out at tick now.
    void Written(const DiagCommandPtr& record, bool anyReplyFits, uint32_t now);

    // What Claim made of a packet, and whether the current request's reply is still only
    // tentative after it (the writer then holds it, see Tentative); otherwise a packet taken
    // is the current request's reply for good.
    struct ClaimResult {
        Claimed claimed = Claimed::no;
        bool tentative = false;
    };
    // Lays a packet arriving at tick now against the attempts still owed. current is the
    // record whose reply is awaited (null when none is); anyReplyFits as for Written.
    ClaimResult Claim(const CDiagCommand* current, bool anyReplyFits, const uint8_t* packet,
                      size_t length, uint32_t now);

    // A damaged frame arrived: the oldest owed attempt's reply is lost.
    void Damaged();

    // Whether the current request's reply was taken tentatively (see above); the writer then
    // waits up to HoldMs() for a reply that replaces it and calls Resolve.
    bool Tentative();
    uint32_t HoldMs();
    // Ends the tentative state: the abandoned attempts ahead of the current one lost their replies.
    void Resolve();

    // 0 when record may be written again now; otherwise how long until the earlier attempts of
    // it that are still owed, and may yet be answered, are overdue. Writing it again before
    // then would only queue more work ahead of the next request on a slow handset.
    uint32_t RewriteDueInMs(const CDiagCommand& record, uint32_t now);

    // Before a new request goes out: waits for the replies earlier attempts still owe, as long
    // as recent replies justify, then abandons the rest.
    void Settle();

    // Forgets every owed attempt (a new port setting, or the link closing).
    void Clear();

    // Waits up to ms until no owed attempt may still be answered; true when none is left.
    bool WaitSettled(uint32_t ms);

    // How long after its write an unanswered attempt is taken as lost.
    uint32_t OverdueAfterMs();

private:
    struct Attempt {
        DiagCommandPtr record;  // its request, matcher and reply time-out
        bool anyReplyFits;      // download settings: any packet answers
        uint32_t writtenAt;
        bool abandoned = false;
    };

    bool Fits(const Attempt& attempt, const uint8_t* packet, size_t length) const;
    uint32_t SlowestLocked() const;
    uint32_t OverdueLocked() const;
    uint32_t OverdueFor(const Attempt& attempt) const;
    bool AllOverdueLocked(uint32_t now) const;
    void NoteLatencyLocked(uint32_t latency);
    void ResolveLocked();
    Claimed ClaimLocked(const CDiagCommand* current, bool anyReplyFits, const uint8_t* packet,
                        size_t length, uint32_t now);

    std::mutex lock;
    std::condition_variable settled;
    std::deque<Attempt> owed;
    static constexpr size_t maxOwed = 64;
    // The latest write and the command it wrote, for its reply's latency.
    uint32_t latestTag = 0;
    uint32_t latestWrite = 0;
    bool tentative = false;
    // Latencies of the last replies taken; the slowest sets when an attempt is overdue.
    static constexpr size_t latencyHistory = 8;
    uint32_t latencies[latencyHistory] = {};
    size_t nextLatency = 0;
};

// Whether packet can be the reply to request: the echoed command code and then whatever matcher
// (may be null) asks of it, or an error reply whose echo of the request agrees with it.
bool ReplyFitsRequest(std::span<const uint8_t> request, CReplyMatcher* matcher, const uint8_t* packet,
                      size_t length);
