// The writer thread: performs queued commands one at a time, so at most one command is on the
// wire, switching the port's setting (rate, framed or raw) per command. Each attempt writes the
// frame and waits for the receive thread to match the reply (or, for raw modem text, reads the
// answer itself); the result goes back through the reply map. A reply that is final the receive
// thread hands over itself: the writer then only learns of it, and its sender is woken one
// hand-off sooner.
#include "link/link_writer.h"

#include <algorithm>
#include <array>
#include <mutex>
#include <thread>

#include "platform/stop_request.h"
#include "platform/tick.h"

void CLinkWriter::WriterThread()
{
    while (link.running.load()) {
        if (!link.cmdQueuedEvent.Wait(waitInfinite) || !link.running.load())
            break;
        for (;;) {
            // While detection runs only probes go out; it sets cmdQueuedEvent when done. The
            // flag is read under its lock and the queue under its own, never both at once.
            bool collecting = false;
            {
                std::lock_guard guard(link.statusLock);
                collecting = link.collectingInfo;
            }
            if (collecting && !link.queue.FrontIsProbe())
                break;
            DiagCommandPtr record = link.queue.PopFront();
            if (!record)
                break;
            if (record->CompletionSet()) {
                trace.Trace("SendSync cmd %d has abandoned.\n", static_cast<int>(record->tag));
                continue;
            }
            if (!PerformCommand(record))
                break;  // the link is closing: the sender sees this thread end
        }
    }
    link.writerEnded.store(true);
    link.completions.Notify();
}

bool CLinkWriter::PerformCommand(const DiagCommandPtr& record)
{
    {
        std::lock_guard guard(link.cmdLock);
        link.cmdInProgress = true;
    }
    const uint32_t attempts = std::max<uint32_t>(record->attempts, 1);
    link.stats.CountCommand(*record);

    if (record->encoding == encFramed)
        link.replyLedger.Settle();
    // Each request is written `attempts` times before it fails. A retry goes out only once the
    // earlier write's reply is no longer to be expected; waiting on for that reply uses up none
    // of the writes, so two lost replies in a row never fail a request that has three.
    uint32_t writes = 0;
    bool success = false;
    for (uint32_t attempt = 0; writes < attempts && !success; ++attempt) {
        LinkStatus status = linkStatusFail;
        record->attemptsMade.store(attempt + 1);
        if (record->encoding == encFramed) {
            const uint32_t owedForMs = attempt == 0 ? 0 : link.replyLedger.RewriteDueInMs(*record, TickCount());
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
        if (!link.running.load()) {
            ReleaseSlot();
            return false;
        }
        success = status == linkStatusOk;
        if (!success && record->type == cmdTypeProbe && !record->request.empty() &&
            record->request[0] == statusProbeCode) {
            link.statusProbesUnanswered.fetch_add(1);
            link.phoneStateEvent.Set();
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

    std::lock_guard guard(link.cmdLock);
    link.cmdInProgress = false;
    return true;
}

LinkStatus CLinkWriter::WriteCommand(const DiagCommandPtr& record)
{
    // Answered while this attempt was being decided on: nothing is owed any more.
    if (record->answered.load())
        return linkStatusOk;
    if (ApplyPortSettings(*record) != linkStatusOk)
        return linkStatusFail;
    const auto& frame = record->frame;
    trace.Trace("%d: %3d: %c: %2d %2d", static_cast<int>(TickCount()), static_cast<int>(record->tag),
                record->type == cmdTypeProbe ? 'P' : 'S', frame.empty() ? 0 : frame[0],
                frame.size() < 2 ? 0 : frame[1]);
    trace.Trace(" %6d size: %3d --> ", static_cast<int>(link.currentBaud.load()),
                static_cast<int>(record->FrameLength()));
    trace.Trace(" QueueCount=%d", static_cast<int>(link.queue.Count()));
    trace.Trace("\n");

    PurgeTx();
    // The reply ledger decides which arriving reply answers this record; the slot takes the
    // record at its first write and keeps it across attempts, so a late reply between two
    // attempts is not lost.
    if (record->writes.load() == 0) {
        link.replyReceivedEvent.Reset();
        link.current.Set(record);
    }
    record->writes.fetch_add(1);
    link.replyLedger.Written(record, IsDownloadKind(record->linkKind), TickCount());

    const size_t written =
        link.portHandle.Write(frame.data(), frame.size(), link.timing.writeTimeoutMs, link.closingEvent);
    link.stats.bytesSent.fetch_add(static_cast<int32_t>(written));
    if (written < frame.size()) {
        trace.Trace("Write to Port Failed: wrote %d total %d\n", static_cast<int>(written),
                    static_cast<int>(frame.size()));
        return linkStatusShortWrite;
    }
    // An attempt on the wire is progress for a stop's watchdog, answered or not, while the line
    // still carries frames: on a noisy line a request may need all its attempts, each waiting
    // its whole time-out. Attempts into a line that has fallen silent are not: a hung line
    // still ends the process.
    if (link.heardSinceAttempt.exchange(false))
        NoteLinkProgress(link.sessionContext);
    return linkStatusOk;
}

LinkStatus CLinkWriter::WaitForDMReply(const DiagCommandPtr& record, uint32_t waitMs)
{
    const uint32_t started = TickCount();
    for (;;) {
        if (record->answered.load() || link.current.HasReply())
            return linkStatusOk;
        const uint32_t elapsed = TickElapsed(started, TickCount());
        if (elapsed >= waitMs)
            break;
        // A wake-up without a stored reply is left over from an earlier attempt: wait on. The
        // receive thread wakes only the sender for a final reply, so this thread learns of it
        // with the next command queued, or within half the idle time before a poll, so the
        // idle polls never wait on it.
        const uint32_t learnMs = std::max<uint32_t>(link.timing.pollIdleMs / 2, 1);
        link.writerWakes.WaitAny({&link.replyReceivedEvent, &link.cmdQueuedEvent},
                                 std::min(waitMs - elapsed, learnMs));
        if (!link.running.load())
            return linkStatusFail;
    }
    if (record->answered.load() || link.current.HasReply())
        return linkStatusOk;
    trace.Trace("WaitForDMReply FAILED to receive a reply %d\n", static_cast<int>(record->tag));
    return linkStatusFail;
}

void CLinkWriter::HoldTentativeReply()
{
    if (!link.replyLedger.Tentative())
        return;
    // The reply may be one owed to an abandoned attempt: a second one within the handset's
    // recent pace would be this request's own and replace it.
    const uint32_t started = TickCount();
    const uint32_t holdMs = link.replyLedger.HoldMs();
    for (uint32_t elapsed = 0; elapsed < holdMs && link.replyLedger.Tentative() && link.running.load();
         elapsed = TickElapsed(started, TickCount()))
        link.replyReceivedEvent.Wait(holdMs - elapsed);
    link.replyLedger.Resolve();
}

void CLinkWriter::ReleaseSlot()
{
    link.current.Take();
}

LinkStatus CLinkWriter::ExchangeRaw(const DiagCommandPtr& record)
{
    if (ApplyPortSettings(*record) != linkStatusOk)
        return linkStatusFail;
    link.portHandle.PurgeAll();
    const auto& frame = record->frame;
    trace.Trace("%3d: %c: %2d", static_cast<int>(record->tag), 'D', frame.size() < 2 ? 0 : frame[1]);
    trace.Trace(" %6d size: %3d --> ", static_cast<int>(link.currentBaud.load()),
                static_cast<int>(record->FrameLength()));

    const uint32_t started = TickCount();
    PurgeTx();
    if (link.portHandle.Write(frame.data(), frame.size(), link.timing.writeTimeoutMs, link.closingEvent) <
        frame.size())
        return linkStatusShortWrite;

    // Collect everything the phone sends until it falls silent for the raw read constant.
    std::array<uint8_t, 2048> answer{};
    size_t received = 0;
    while (received < answer.size()) {
        const PortReadResult read = link.portHandle.Read(answer.data() + received,
                                                         answer.size() - received,
                                                         link.timing.modemReplyMs, link.closingEvent);
        if (read.result != PortIoResult::ok || read.bytes == 0)
            break;
        received += read.bytes;
    }
    trace.Trace("[%3d ms][%3d ms]", static_cast<int>(TickElapsed(started, TickCount())),
                static_cast<int>(record->replyTimeout));
    if (received == 0) {
        trace.Trace("\tR: %s\n", "B");
        return linkStatusFail;
    }
    trace.Trace("\t%d  size: %3d\n", static_cast<int>(link.currentBaud.load()), static_cast<int>(received));
    link.current.Store(*record, answer.data(), received);
    return linkStatusOk;
}

bool CLinkWriter::HandOver(const DiagCommandPtr& record)
{
    record->detail = 0;
    link.lastActivity.store(TickCount());
    // Insert before signalling so the sender finds the reply; if the sender abandoned the
    // command meanwhile, take it back out: nobody will collect it.
    link.replies.Insert(record->tag, record);
    if (record->SetCompletion()) {
        link.completions.Notify();
        return true;
    }
    link.replies.Take(record->tag);
    trace.Trace("SendSync cmd %d has abandoned due to timeout.\n", static_cast<int>(record->tag));
    return false;
}

void CLinkWriter::CompleteCommand(const DiagCommandPtr& record, bool success)
{
    if (success) {
        if (!HandOver(record))
            PurgeTx();
        return;
    }
    record->detail = 0;
    const int tag = static_cast<int>(record->tag);
    if (record->CompletionSet()) {
        trace.Trace("SendSync cmd %d has abandoned due to timeout.\n", tag);
        PurgeTx();
        return;
    }
    if (record->type != cmdTypeProbe) {
        // The phone may be gone: the polling thread re-checks it at once.
        link.statusRequestEvent.Set();
        std::this_thread::yield();
    }
    if (record->SetCompletion())
        link.completions.Notify();
    else
        trace.Trace("SendSync cmd %d has abandoned due to timeout.\n", tag);
    PurgeTx();
}
uint32_t CLinkWriter::BaudFor(const CDiagCommand& record) const
{
    if (record.encoding == encRaw)
        return record.linkKind == linkModemLow ? baudModemLow : baudHigh;
    if (record.type == cmdTypeProbe) {
        if (record.linkKind == linkDiagLow)
            return baudDiagLow;
        if (record.linkKind == linkDiagHigh || IsDownloadKind(record.linkKind))
            return baudHigh;
    }
    return link.currentRate.load();
}

void CLinkWriter::PauseReader()
{
    if (link.readEnableEvent.IsSet()) {
        link.readEnableEvent.Reset();
        link.readCancelEvent.Set();
    }
    // The reader checks the enable event under this lock before every read, so once it is
    // seen outside a read here it stays out until the event is set again.
    std::unique_lock guard(link.readerStateLock);
    link.readerStateChanged.wait(guard, [this] { return !link.readerReading || !link.running.load(); });
}

LinkStatus CLinkWriter::ApplyPortSettings(const CDiagCommand& record)
{
    const uint32_t baud = BaudFor(record);
    {
        std::shared_lock guard(link.portLock);
        if (record.linkKind == link.currentLinkKind.load() && baud == link.currentBaud.load())
            return linkStatusOk;
    }
    if (!link.running.load())
        return linkStatusFail;

    std::lock_guard guard(link.portLock);
    link.currentLinkKind.store(record.linkKind);
    PauseReader();
    link.replyLedger.Clear();  // replies owed under the old setting are no longer told apart
    link.currentBaud.store(baud);
    link.portHandle.SetBaud(baud);
    // Framed traffic is read by the receive thread; a raw exchange reads the port itself.
    if (record.encoding == encFramed)
        link.readEnableEvent.Set();
    return linkStatusOk;
}

void CLinkWriter::PurgeTx()
{
    link.portHandle.PurgeTx();
}

