#include "link/reply_ledger.h"

#include <algorithm>
#include <chrono>

#include "link/current_command.h"
#include "platform/tick.h"

namespace {

constexpr uint8_t efsCommandCode = 0x59;
constexpr uint8_t efsReadSubcommand = 4;
// A reply is overdue once it is this much later than twice the slowest recent one.
constexpr uint32_t overdueSlackMs = 50;
constexpr uint32_t slowestTrustedMs = 5000;

}  // namespace

bool ReplyFitsRequest(const std::vector<uint8_t>& request, const uint8_t* packet, size_t length)
{
    if (request.empty() || !DiagReplyMatches(request[0], packet, length))
        return false;
    if (request[0] != efsCommandCode || packet[0] != efsCommandCode)
        return true;  // not EFS, or an error reply: the code is all it carries
    if (request.size() < 2 || length < 2 || packet[1] != request[1])
        return false;
    // A good read block echoes the sequence number it answers.
    if (request[1] == efsReadSubcommand && request.size() >= 3 && length >= 4 && packet[2] == 0)
        return packet[3] == request[2];
    return true;
}

uint32_t CReplyLedger::OverdueLocked() const
{
    const uint32_t slowest = *std::max_element(std::begin(latencies), std::end(latencies));
    return 2 * std::min(slowest, slowestTrustedMs) + overdueSlackMs;
}

uint32_t CReplyLedger::OverdueAfterMs()
{
    std::lock_guard guard(lock);
    return OverdueLocked();
}

bool CReplyLedger::AllOverdueLocked(uint32_t now) const
{
    const uint32_t overdue = OverdueLocked();
    return std::all_of(owed.begin(), owed.end(), [&](const Attempt& attempt) {
        return TickElapsed(attempt.writtenAt, now) > overdue;
    });
}

void CReplyLedger::NoteLatencyLocked(uint32_t latency)
{
    latencies[nextLatency] = latency;
    nextLatency = (nextLatency + 1) % latencyHistory;
}

void CReplyLedger::Written(const std::vector<uint8_t>& request, bool anyReplyFits, uint32_t now)
{
    std::lock_guard guard(lock);
    if (request != latestRequest) {
        latestRequest = request;
        latestFirstWrite = now;
    }
    // A line that loses every reply must not grow the ledger without bound; the oldest
    // attempts are the ones least likely to be answered.
    if (owed.size() == maxOwed)
        owed.pop_front();
    owed.push_back({request, anyReplyFits, now});
}

bool CReplyLedger::Claim(const std::vector<uint8_t>* current, bool anyReplyFits,
                         const uint8_t* packet, size_t length, uint32_t now)
{
    std::lock_guard guard(lock);
    bool answers = false;
    // The handset answers in order, so the packet answers the oldest owed attempt it fits; the
    // attempts ahead of that one lost their replies. Owed attempts are never forgotten for being
    // late: a slow handset's late reply must not be laid against a later request.
    const auto fits = std::find_if(owed.begin(), owed.end(), [&](const Attempt& attempt) {
        return attempt.anyReplyFits || ReplyFitsRequest(attempt.request, packet, length);
    });
    if (fits != owed.end()) {
        answers = current != nullptr && fits->request == *current;
        owed.erase(owed.begin(), fits + 1);
        if (owed.empty())
            settled.notify_all();
    } else if (owed.empty()) {
        // Nothing is owed: the packet is the current request's if it fits it.
        answers = current != nullptr &&
                  (anyReplyFits || ReplyFitsRequest(*current, packet, length));
    }
    if (answers && *current == latestRequest)
        NoteLatencyLocked(TickElapsed(latestFirstWrite, now));
    return answers;
}

bool CReplyLedger::ShouldRewrite(const std::vector<uint8_t>& request, uint32_t now,
                                 uint32_t longestWaitMs)
{
    std::lock_guard guard(lock);
    const uint32_t overdue = std::min(OverdueLocked(), longestWaitMs);
    return std::none_of(owed.begin(), owed.end(), [&](const Attempt& attempt) {
        return attempt.request == request && TickElapsed(attempt.writtenAt, now) < overdue;
    });
}

void CReplyLedger::Settle()
{
    WaitSettled(OverdueAfterMs());
    Clear();
}

void CReplyLedger::Clear()
{
    std::lock_guard guard(lock);
    owed.clear();
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
