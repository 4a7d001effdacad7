#include "link/reply_ledger.h"

#include <algorithm>
#include <chrono>

#include "link/attempt_policy.h"
#include "link/current_command.h"
#include "link/diag_command.h"
#include "platform/tick.h"

bool ReplyFitsRequest(std::span<const uint8_t> request, CReplyMatcher* matcher, const uint8_t* packet,
                      size_t length)
{
    if (request.empty() || !DiagReplyMatches(request[0], packet, length))
        return false;
    if (packet[0] != request[0]) {
        // An error reply: the code, then as much of the request as it echoes.
        const size_t echoed = std::min(length - 1, request.size());
        return std::equal(packet + 1, packet + 1 + echoed, request.begin());
    }
    return matcher == nullptr || matcher->Fits(request, {packet, length});
}

bool CReplyLedger::Fits(const Attempt& attempt, const uint8_t* packet, size_t length) const
{
    return attempt.anyReplyFits ||
           ReplyFitsRequest(attempt.record->request, attempt.record->matcher.get(), packet, length);
}

uint32_t CReplyLedger::SlowestLocked() const
{
    return *std::max_element(std::begin(latencies), std::end(latencies));
}

uint32_t CReplyLedger::OverdueLocked() const
{
    return ::OverdueAfterMs(SlowestLocked());
}

uint32_t CReplyLedger::OverdueFor(const Attempt& attempt) const
{
    // Timed from the attempt's write.
    return OverdueForAttemptMs(SlowestLocked(), attempt.record->replyTimeout);
}

uint32_t CReplyLedger::OverdueAfterMs()
{
    std::lock_guard guard(lock);
    return OverdueLocked();
}

uint32_t CReplyLedger::HoldMs()
{
    return OverdueAfterMs();
}

bool CReplyLedger::AllOverdueLocked(uint32_t now) const
{
    return std::all_of(owed.begin(), owed.end(), [&](const Attempt& attempt) {
        return attempt.abandoned || TickElapsed(attempt.writtenAt, now) > OverdueFor(attempt);
    });
}

void CReplyLedger::NoteLatencyLocked(uint32_t latency)
{
    latencies[nextLatency] = latency;
    nextLatency = (nextLatency + 1) % latencyHistory;
}

void CReplyLedger::Written(const DiagCommandPtr& record, bool anyReplyFits, uint32_t now)
{
    std::lock_guard guard(lock);
    latestTag = record->tag;
    latestWrite = now;
    // A line that loses every reply must not grow the ledger without bound; the oldest
    // attempts are the ones least likely to be answered.
    if (owed.size() == maxOwed)
        owed.pop_front();
    owed.push_back({record, anyReplyFits, now});
}

CReplyLedger::ClaimResult CReplyLedger::Claim(const CDiagCommand* current, bool anyReplyFits,
                                              const uint8_t* packet, size_t length, uint32_t now)
{
    std::lock_guard guard(lock);
    const Claimed claimed = ClaimLocked(current, anyReplyFits, packet, length, now);
    return {claimed, tentative};
}

CReplyLedger::Claimed CReplyLedger::ClaimLocked(const CDiagCommand* current, bool anyReplyFits,
                                                const uint8_t* packet, size_t length, uint32_t now)
{
    const bool currentFits =
        current != nullptr &&
        (anyReplyFits || ReplyFitsRequest(current->request, current->matcher.get(), packet, length));
    // The handset's pace is learnt from what the replies prove: a reply to the current request
    // came at least this long after its latest write, and a late reply to an earlier attempt
    // came this long after that attempt's own write.
    Claimed result = Claimed::taken;
    if (tentative && currentFits) {
        // A second reply for the current request: the one taken tentatively was the abandoned
        // attempt's, at the front.
        tentative = false;
        NoteLatencyLocked(TickElapsed(owed.front().writtenAt, now));
        owed.pop_front();
        result = Claimed::replacesTentative;
    }
    const Claimed stray = result == Claimed::replacesTentative ? result : Claimed::no;
    // The handset answers in order, so the packet answers the oldest owed attempt it fits; the
    // attempts ahead of that one lost their replies.
    const auto fits = std::find_if(owed.begin(), owed.end(),
                                   [&](const Attempt& attempt) { return Fits(attempt, packet, length); });
    if (fits == owed.end()) {
        if (!owed.empty() || !currentFits)
            return stray;
        if (current->matcher)
            current->matcher->Taken(current->request, {packet, length});
    } else if (fits->abandoned && currentFits) {
        owed.erase(owed.begin(), fits);
        tentative = true;  // the abandoned attempt's or the current request's: the next reply tells
        return result;
    } else {
        if (const auto& matcher = fits->record->matcher)
            matcher->Taken(fits->record->request, {packet, length});
        const bool answers = currentFits && !fits->abandoned && fits->record.get() == current;
        if (!answers)
            NoteLatencyLocked(TickElapsed(fits->writtenAt, now));
        owed.erase(owed.begin(), fits + 1);
        if (owed.empty())
            settled.notify_all();
        if (!answers)
            return stray;
    }
    if (current->tag == latestTag)
        NoteLatencyLocked(TickElapsed(latestWrite, now));
    return result;
}

void CReplyLedger::Damaged()
{
    std::lock_guard guard(lock);
    if (tentative || owed.empty())
        return;
    owed.pop_front();
    if (owed.empty())
        settled.notify_all();
}

bool CReplyLedger::Tentative()
{
    std::lock_guard guard(lock);
    return tentative;
}

void CReplyLedger::Resolve()
{
    std::lock_guard guard(lock);
    ResolveLocked();
}

void CReplyLedger::ResolveLocked()
{
    if (!tentative)
        return;
    tentative = false;
    // No second reply came: the abandoned attempts lost theirs, and the tentative reply was the
    // current request's first owed attempt's.
    while (!owed.empty() && owed.front().abandoned)
        owed.pop_front();
    if (!owed.empty())
        owed.pop_front();
    if (owed.empty())
        settled.notify_all();
}

uint32_t CReplyLedger::RewriteDueInMs(const CDiagCommand& record, uint32_t now)
{
    std::lock_guard guard(lock);
    uint32_t due = 0;
    for (const Attempt& attempt : owed) {
        if (attempt.abandoned || attempt.record.get() != &record)
            continue;
        const uint32_t elapsed = TickElapsed(attempt.writtenAt, now);
        const uint32_t overdue = OverdueFor(attempt);
        if (elapsed < overdue)
            due = std::max(due, overdue - elapsed);
    }
    return due;
}

void CReplyLedger::Settle()
{
    WaitSettled(OverdueAfterMs());
    std::lock_guard guard(lock);
    ResolveLocked();
    for (Attempt& attempt : owed)
        attempt.abandoned = true;
}

void CReplyLedger::Clear()
{
    std::lock_guard guard(lock);
    owed.clear();
    tentative = false;
    settled.notify_all();
}

bool CReplyLedger::WaitSettled(uint32_t ms)
{
    std::unique_lock guard(lock);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        if (AllOverdueLocked(TickCount()))
            return true;
        settled.wait_until(guard, std::min(deadline, std::chrono::steady_clock::now() +
                                                         std::chrono::milliseconds(10)));
        if (std::chrono::steady_clock::now() >= deadline)
            return AllOverdueLocked(TickCount());
    }
}
