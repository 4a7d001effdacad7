// The writer thread: performs queued commands one at a time, so at most one command is on the
// wire. Each attempt writes the frame and waits for the receive thread to match the reply (or,
// for raw modem text, reads the answer itself); the result goes back through the reply map.
// A reply that is final the receive thread hands over itself: the writer then only learns of
// it, and its sender is woken one hand-off sooner.
#include "link/diag_port.h"

#include <algorithm>
#include <array>
#include <mutex>
#include <thread>

#include "platform/stop_request.h"
#include "platform/tick.h"

void CDiagPort::WriterThread()
{
    while (running.load()) {
        if (!cmdQueuedEvent.Wait(waitInfinite) || !running.load())
            break;
        for (;;) {
            // While detection runs only probes go out; it sets cmdQueuedEvent when done. The
            // flag is read under its lock and the queue under its own, never both at once.
            bool collecting = false;
            {
                std::lock_guard guard(statusLock);
                collecting = collectingInfo;
            }
            if (collecting && !queue.FrontIsProbe())
                break;
            DiagCommandPtr record = queue.PopFront();
            if (!record)
                break;
            if (record->CompletionSet()) {
                Trace("SendSync cmd %d has abandoned.\n", static_cast<int>(record->tag));
                continue;
            }
            if (!PerformCommand(record))
                break;  // the link is closing: the sender sees this thread end
        }
    }
    writerEnded.store(true);
    completions.Notify();
}

bool CDiagPort::PerformCommand(const DiagCommandPtr& record)
{
    {
        std::lock_guard guard(cmdLock);
        cmdInProgress = true;
    }
    const uint32_t attempts = std::max<uint32_t>(record->attempts, 1);
    stats.CountCommand(*record);

    if (record->encoding == encFramed)
        replyLedger.Settle();
    // Each request is written `attempts` times before it fails. A retry goes out only once the
    // earlier write's reply is no longer to be expected; waiting on for that reply uses up none
    // of the writes, so two lost replies in a row never fail a request that has three.
    uint32_t writes = 0;
    bool success = false;
    for (uint32_t attempt = 0; writes < attempts && !success; ++attempt) {
        LinkStatus status = linkStatusFail;
        record->attemptsMade.store(attempt + 1);
        if (record->encoding == encFramed) {
            const uint32_t owedForMs = attempt == 0 ? 0 : replyLedger.RewriteDueInMs(*record, TickCount());
            status = linkStatusOk;
            if (owedForMs == 0) {
                ++writes;
                status = WriteCommand(record);
            }
            if (status == linkStatusOk)
                status = WaitForDMReply(record, owedForMs == 0 ? record->replyTimeout : owedForMs);
            if (status == linkStatusOk && !record->answered.load())
                HoldTentativeReply();
        } else {
            ++writes;
            status = ExchangeRaw(record);
        }
        if (!running.load()) {
            ReleaseSlot();
            return false;
        }
        success = status == linkStatusOk;
        if (!success && record->type == cmdTypeProbe && !record->request.empty() &&
            record->request[0] == statusProbeCode) {
            statusProbesUnanswered.fetch_add(1);
            phoneStateEvent.Set();
        }
    }
    if (record->encoding == encFramed) {
        // A reply stored up to the moment the slot is emptied counts: it was taken. From then on
        // the receive thread cannot answer the record, so `answered` is final here.
        ReleaseSlot();
        success = record->ReplyLength() != 0;
    }
    if (!record->answered.load())
        CompleteCommand(record, success);

    std::lock_guard guard(cmdLock);
    cmdInProgress = false;
    return true;
}

LinkStatus CDiagPort::WriteCommand(const DiagCommandPtr& record)
{
    // Answered while this attempt was being decided on: nothing is owed any more.
    if (record->answered.load())
        return linkStatusOk;
    if (ApplyPortSettings(*record) != linkStatusOk)
        return linkStatusFail;
    const auto& frame = record->frame;
    Trace("%d: %3d: %c: %2d %2d", static_cast<int>(TickCount()), static_cast<int>(record->tag),
          record->type == cmdTypeProbe ? 'P' : 'S', frame.empty() ? 0 : frame[0],
          frame.size() < 2 ? 0 : frame[1]);
    Trace(" %6d size: %3d --> ", static_cast<int>(currentBaud.load()),
          static_cast<int>(record->FrameLength()));
    Trace(" QueueCount=%d", static_cast<int>(queue.Count()));
    Trace("\n");

    PurgeTx();
    // The reply ledger decides which arriving reply answers this record; the slot takes the
    // record at its first write and keeps it across attempts, so a late reply between two
    // attempts is not lost.
    if (record->writes.load() == 0) {
        replyReceivedEvent.Reset();
        current.Set(record);
    }
    record->writes.fetch_add(1);
    replyLedger.Written(record, IsDownloadKind(record->linkKind), TickCount());

    const size_t written =
        portHandle.Write(frame.data(), frame.size(), timing.writeTimeoutMs, closingEvent);
    stats.bytesSent.fetch_add(static_cast<int32_t>(written));
    if (written < frame.size()) {
        Trace("Write to Port Failed: wrote %d total %d\n", static_cast<int>(written),
              static_cast<int>(frame.size()));
        return linkStatusShortWrite;
    }
    // An attempt on the wire is progress for a stop's watchdog, answered or not, while the line
    // still carries frames: on a noisy line a request may need all its attempts, each waiting
    // its whole time-out. Attempts into a line that has fallen silent are not: a hung line
    // still ends the process.
    if (heardSinceAttempt.exchange(false))
        NoteLinkProgress(sessionContext);
    return linkStatusOk;
}

LinkStatus CDiagPort::WaitForDMReply(const DiagCommandPtr& record, uint32_t waitMs)
{
    const uint32_t started = TickCount();
    for (;;) {
        if (record->answered.load() || current.HasReply())
            return linkStatusOk;
        const uint32_t elapsed = TickElapsed(started, TickCount());
        if (elapsed >= waitMs)
            break;
        // A wake-up without a stored reply is left over from an earlier attempt: wait on. The
        // receive thread wakes only the sender for a final reply, so this thread learns of it
        // with the next command queued, or within half the idle time before a poll, so the
        // idle polls never wait on it.
        const uint32_t learnMs = std::max<uint32_t>(timing.pollIdleMs / 2, 1);
        writerWakes.WaitAny({&replyReceivedEvent, &cmdQueuedEvent},
                            std::min(waitMs - elapsed, learnMs));
        if (!running.load())
            return linkStatusFail;
    }
    if (record->answered.load() || current.HasReply())
        return linkStatusOk;
    Trace("WaitForDMReply FAILED to receive a reply %d\n", static_cast<int>(record->tag));
    return linkStatusFail;
}

void CDiagPort::HoldTentativeReply()
{
    if (!replyLedger.Tentative())
        return;
    // The reply may be one owed to an abandoned attempt: a second one within the handset's
    // recent pace would be this request's own and replace it.
    const uint32_t started = TickCount();
    const uint32_t holdMs = replyLedger.HoldMs();
    for (uint32_t elapsed = 0; elapsed < holdMs && replyLedger.Tentative() && running.load();
         elapsed = TickElapsed(started, TickCount()))
        replyReceivedEvent.Wait(holdMs - elapsed);
    replyLedger.Resolve();
}

void CDiagPort::ReleaseSlot()
{
    current.Take();
}

LinkStatus CDiagPort::ExchangeRaw(const DiagCommandPtr& record)
{
    if (ApplyPortSettings(*record) != linkStatusOk)
        return linkStatusFail;
    portHandle.PurgeAll();
    const auto& frame = record->frame;
    Trace("%3d: %c: %2d", static_cast<int>(record->tag), 'D', frame.size() < 2 ? 0 : frame[1]);
    Trace(" %6d size: %3d --> ", static_cast<int>(currentBaud.load()),
          static_cast<int>(record->FrameLength()));

    const uint32_t started = TickCount();
    PurgeTx();
    if (portHandle.Write(frame.data(), frame.size(), timing.writeTimeoutMs, closingEvent) <
        frame.size())
        return linkStatusShortWrite;

    // Collect everything the phone sends until it falls silent for the raw read constant.
    std::array<uint8_t, 2048> answer{};
    size_t received = 0;
    while (received < answer.size()) {
        const PortReadResult read = portHandle.Read(answer.data() + received,
                                                    answer.size() - received,
                                                    timing.modemReplyMs, closingEvent);
        if (read.result != PortIoResult::ok || read.bytes == 0)
            break;
        received += read.bytes;
    }
    Trace("[%3d ms][%3d ms]", static_cast<int>(TickElapsed(started, TickCount())),
          static_cast<int>(record->replyTimeout));
    if (received == 0) {
        Trace("\tR: %s\n", "B");
        return linkStatusFail;
    }
    Trace("\t%d  size: %3d\n", static_cast<int>(currentBaud.load()), static_cast<int>(received));
    current.Store(*record, answer.data(), received);
    return linkStatusOk;
}

bool CDiagPort::HandOver(const DiagCommandPtr& record)
{
    record->detail = 0;
    lastActivity.store(TickCount());
    // Insert before signalling so the sender finds the reply; if the sender abandoned the
    // command meanwhile, take it back out: nobody will collect it.
    replies.Insert(record->tag, record);
    if (record->SetCompletion()) {
        completions.Notify();
        return true;
    }
    replies.Take(record->tag);
    Trace("SendSync cmd %d has abandoned due to timeout.\n", static_cast<int>(record->tag));
    return false;
}

void CDiagPort::CompleteCommand(const DiagCommandPtr& record, bool success)
{
    if (success) {
        if (!HandOver(record))
            PurgeTx();
        return;
    }
    record->detail = 0;
    const int tag = static_cast<int>(record->tag);
    if (record->CompletionSet()) {
        Trace("SendSync cmd %d has abandoned due to timeout.\n", tag);
        PurgeTx();
        return;
    }
    if (record->type != cmdTypeProbe) {
        // The phone may be gone: the polling thread re-checks it at once.
        statusRequestEvent.Set();
        std::this_thread::yield();
    }
    if (record->SetCompletion())
        completions.Notify();
    else
        Trace("SendSync cmd %d has abandoned due to timeout.\n", tag);
    PurgeTx();
}
