// How often a request goes out and how long its replies are waited for, in one place: every
// request is written up to its number of attempts, each write waits its reply time-out, and a
// reply that an earlier write still owes is waited for by the handset's recent pace, never a
// whole time-out beyond that write's own. Waiting for an owed reply uses up no write.
#pragma once

#include <cstdint>

#include "link/link_timing.h"

// Writes a request gets unless it is a slow one.
constexpr uint32_t defaultAttempts = 3;

// How many times a request with this reply time-out is written: once when the time-out is long
// enough that a retry would only double a long wait, else defaultAttempts.
uint32_t AttemptsFor(uint32_t replyTimeoutMs, const LinkTiming& timing);

// After how long a reply is overdue, given the slowest of the handset's recent replies: twice
// that (trusting no reply slower than 5 s) plus a little slack.
uint32_t OverdueAfterMs(uint32_t slowestRecentMs);

// The same for an attempt whose request has this reply time-out: never a whole time-out beyond
// the attempt's own, so a handset slower than its time-outs is waited for, but not for ever.
uint32_t OverdueForAttemptMs(uint32_t slowestRecentMs, uint32_t replyTimeoutMs);
