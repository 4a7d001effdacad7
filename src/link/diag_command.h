// One command of the link: the outgoing bytes, where its reply goes, and the completion flag
// that ties the waiting sender to the thread that completes the command. Records are shared between the
// sender, the queue, the writer, the reply map and the receive thread (std::shared_ptr), so a
// record is freed exactly once, by whichever holder lets go last.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "link/attempt_policy.h"
#include "link/link_status.h"
#include "link/link_types.h"
#include "link/reply_matcher.h"
#include "platform/sync_event.h"

class CDiagCommand {
public:
    explicit CDiagCommand(PayloadEncoding payloadEncoding);
    ~CDiagCommand();
    CDiagCommand(const CDiagCommand&) = delete;
    CDiagCommand& operator=(const CDiagCommand&) = delete;

    // Frames payload (with an opening flag for the download kinds) into `frame`, or copies it
    // unchanged for a raw record. Fails for an empty or over-long payload.
    LinkStatus BuildFrame(const uint8_t* payload, uint32_t length);

    uint32_t FrameLength() const { return static_cast<uint32_t>(frame.size()); }
    // The length of the reply taken, 0 while there is none; see ReplySink for who may read it.
    uint32_t ReplyLength() const { return static_cast<uint32_t>(sink.length); }

    // Sets the completion: true only for the call that set it. Set once, by whichever of the
    // sender (giving up) and the thread completing the command acts first, so the two can
    // never both believe they won. Senders sleep on their link's CCompletionSignal.
    bool SetCompletion() { return !completion.exchange(true); }
    bool CompletionSet() const { return completion.load(); }

    // Records alive in the process; lets tests prove that none is leaked or freed twice.
    static long LiveCount();

    // Where the reply goes: straight into the sender's own buffer, so a reply is copied once,
    // from the receive buffer. Written only under the current-command slot's lock (by the
    // receive thread, or by the writer for a raw exchange), which is also where a sender that
    // gives up takes its buffer back; the sender reads it once the command is completed.
    struct ReplySink {
        uint8_t* buffer = nullptr;  // null: the sender wants no bytes, or has given up
        size_t capacity = 0;
        size_t length = 0;          // of the reply taken, DM command code first; 0: none yet
    };

    std::vector<uint8_t> frame;   // the outgoing bytes
    std::vector<uint8_t> request; // the framed record's payload, command code first
    ReplySink sink;
    ReplyMatcherPtr matcher;      // ties replies to the request beyond its command code; may be null
    PayloadEncoding encoding;
    int32_t linkKind = linkNone;
    uint32_t replyTimeout = 0;
    int32_t type = cmdTypeDiag;
    uint32_t detail = 0;
    uint32_t attempts = defaultAttempts;
    uint32_t tag = 0;
    // How many attempts the writer made and how many of them wrote the request.
    std::atomic<uint32_t> attemptsMade{0};
    std::atomic<uint32_t> writes{0};
    // Set when the receive thread took the record out of the slot with its reply and completed
    // it itself, sparing the sender a hand-off through the writer; the writer then only learns.
    std::atomic<bool> answered{false};

private:
    std::atomic<bool> completion{false};
    static std::atomic<long> liveCount;
};

using DiagCommandPtr = std::shared_ptr<CDiagCommand>;

// How a completed request went: more than one attempt means its first reply was lost or late;
// more than one write means the handset may have acted on it twice.
struct SendReport {
    uint32_t attempts = 0;
    uint32_t writes = 0;
};

// The process-wide command tag: 1 for the first command of the process, then one more for each
// command built by any link.
uint32_t NextCommandTag();
