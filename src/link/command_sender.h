// The sender's half of every command: builds the record, queues it and waits until the writer or
// the receive thread completes it. Callers on any thread send through it: the link object for
// the EFS layer, and the phone detector for its probes.
#pragma once

#include <cstdint>

#include "link/diag_command.h"
#include "link/link_state.h"
#include "link/link_status.h"
#include "link/link_types.h"
#include "link/reply_matcher.h"

class CCommandSender {
public:
    explicit CCommandSender(CLinkState& linkState) : link(linkState), trace(linkState.trace) {}
    CCommandSender(const CCommandSender&) = delete;
    CCommandSender& operator=(const CCommandSender&) = delete;

    // Sends one request and waits for its reply. length: 1 to 2046 request bytes; detail: the
    // LinkKind for probes, else a per-attempt time-out (0: timeoutMs); replyLength: in the
    // capacity of replyBuffer, out the reply length (both may be null).
    LinkStatus SendSync(uint32_t length, const uint8_t* requestBytes, CommandType type,
                        uint32_t detail, uint32_t timeoutMs, int16_t* replyLength,
                        uint8_t* replyBuffer, const ReplyMatcherPtr& matcher = nullptr,
                        SendReport* report = nullptr);

    // Queues a record built by the caller (at the front for probes) and waits up to waitMs
    // for its completion; the waiting half of SendSync.
    LinkStatus SubmitCommand(const DiagCommandPtr& record, bool atFront, uint32_t waitMs,
                             int16_t* replyLength, uint8_t* replyBuffer, SendReport* report = nullptr);

private:
    CLinkState& link;
    CTraceBase& trace;
};
