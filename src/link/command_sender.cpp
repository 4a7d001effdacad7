// The sender's half of a command: build the record, queue it, wait for the writer or the
// receive thread to complete it, and take it out of the reply map. The reply itself is already
// in the sender's buffer: the receive thread copied it there straight from its receive buffer.
#include "link/command_sender.h"

#include <algorithm>
#include <cstring>

#include "link/frame_codec.h"
#include "platform/tick.h"

LinkStatus CCommandSender::SendSync(uint32_t length, const uint8_t* requestBytes, CommandType type,
                                    uint32_t detail, uint32_t timeoutMs, int16_t* replyLength,
                                    uint8_t* replyBuffer, const ReplyMatcherPtr& matcher, SendReport* report)
{
    if (!link.running.load())
        return linkStatusFail;
    if (link.phoneStatus.load() != phoneStatusReady && type != cmdTypeProbe)
        return linkStatusPhoneNotReady;
    if (type != cmdTypeDiag && type != cmdTypeProbe)
        return linkStatusFail;  // status and stream records are never sent
    if (requestBytes == nullptr || length < 1 || length > frameMaxPayload || timeoutMs == 0)
        return linkStatusFail;
    if (type == cmdTypeProbe && !IsKnownKind(static_cast<int32_t>(detail)))
        return linkStatusFail;

    auto record = std::make_shared<CDiagCommand>(encFramed);
    if (type == cmdTypeProbe)
        record->linkKind = static_cast<int32_t>(detail);
    else
        record->linkKind = link.currentRate.load() == baudHigh ? linkDiagHigh : linkDiagLow;
    record->tag = NextCommandTag();
    record->matcher = matcher;
    const LinkStatus built = record->BuildFrame(requestBytes, length);
    if (built != linkStatusOk)
        return built;

    if (type == cmdTypeProbe)
        record->replyTimeout = link.timing.probeReplyMs;
    else
        record->replyTimeout = detail != 0 ? detail : timeoutMs;
    record->type = type;
    record->detail = detail;

    const uint64_t waitMs = uint64_t{timeoutMs} + link.timing.senderSlackMs;
    return SubmitCommand(record, type == cmdTypeProbe,
                         static_cast<uint32_t>(std::min<uint64_t>(waitMs, waitInfinite - 1)),
                         replyLength, replyBuffer, report);
}

LinkStatus CCommandSender::SubmitCommand(const DiagCommandPtr& record, bool atFront, uint32_t waitMs,
                                         int16_t* replyLength, uint8_t* replyBuffer, SendReport* report)
{
    if (!record)
        return linkStatusFail;
    // A closed link has no writer to complete the command: the same result as a close
    // that ends the wait.
    if (!link.running.load())
        return linkStatusTimeout;
    // A record may ask for fewer writes (a probe of one attempt), never for more.
    record->attempts = std::min(record->attempts, AttemptsFor(record->replyTimeout, link.timing));
    const uint32_t tag = record->tag;
    const size_t capacity = replyLength != nullptr && *replyLength > 0 ? static_cast<size_t>(*replyLength) : 0;
    if (replyLength != nullptr && replyBuffer != nullptr)
        record->sink = {replyBuffer, capacity, 0};
    if (atFront)
        link.queue.PushFront(record);
    else
        link.queue.PushBack(record);

    const uint32_t started = TickCount();
    const CCompletionSignal::Woken woken = link.completions.Wait(*record, link.writerEnded, waitMs);
    if (woken != CCompletionSignal::Woken::completed || !link.running.load()) {
        // Setting the completion first marks the command abandoned; if the writer or the
        // receive thread set it first, the command did complete and waits in the map.
        if (record->SetCompletion() || !link.running.load()) {
            link.current.Detach(*record);  // the buffer is the caller's again
            const int elapsed = static_cast<int>(TickElapsed(started, TickCount()));
            if (woken == CCompletionSignal::Woken::timedOut)
                trace.Trace("\n\t[Cmd Tag: %d TIMEDOUT, Time Elasped: %d ms]\n", static_cast<int>(tag),
                            elapsed);
            else
                trace.Trace("\n\t[Cmd Tag: %d ABORTED, Time Elasped: %d ms]\n", static_cast<int>(tag),
                            elapsed);
            return linkStatusTimeout;
        }
    }

    if (!link.replies.Take(tag))
        return linkStatusFail;
    if (report != nullptr)
        *report = {record->attemptsMade.load(), record->writes.load()};
    if (replyLength != nullptr && replyBuffer != nullptr) {
        // The buffer holds the reply; the rest of it is cleared. A reply longer than the
        // buffer was not copied: the whole buffer is cleared.
        const size_t length = record->sink.length;
        if (capacity < length) {
            std::memset(replyBuffer, 0, capacity);
            return linkStatusReplyTooLong;
        }
        std::memset(replyBuffer + length, 0, capacity - length);
        *replyLength = static_cast<int16_t>(length);
    }
    return linkStatusOk;
}
