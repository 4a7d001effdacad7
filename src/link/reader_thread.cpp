// The receive thread: the only reader of the port for framed traffic. It cuts the byte stream
// into frames and routes each packet by the port setting in force: into the command whose
// reply the writer awaits (completing the command itself once the reply is final), or nowhere,
// counted as unsolicited or stray.
#include "link/link_reader.h"

#include <atomic>
#include <mutex>
#include <vector>

#include "link/receive_buffer.h"
#include "platform/stop_request.h"
#include "platform/tick.h"

namespace {

// Received packets of the whole process, for trace lines only.
std::atomic<int> receivedPackets{0};

bool IsUnsolicitedDiagCode(uint8_t code)
{
    return code == 0x10 || code == 0x1F || code == 0x60;
}

}  // namespace

void CLinkReader::ReaderThread()
{
    CReceiveBuffer buffer;
    while (link.running.load()) {
        link.readCancelEvent.Reset();
        if (!link.readEnableEvent.Wait(waitInfinite) || !link.running.load())
            break;
        {
            std::lock_guard guard(link.readerStateLock);
            if (!link.readEnableEvent.IsSet() || !link.running.load())
                continue;
            link.readerReading = true;
        }
        size_t freeSpace = 0;
        uint8_t* into = buffer.PrepareRead(freeSpace);
        const PortReadResult read =
            link.portHandle.Read(into, freeSpace, link.timing.readConstantMs, link.readCancelEvent);
        {
            std::lock_guard guard(link.readerStateLock);
            link.readerReading = false;
            link.readerStateChanged.notify_all();
        }
        if (!link.running.load())
            break;
        if (read.result == PortIoResult::hungUp || read.result == PortIoResult::failed) {
            // The other end is gone: wait for a cancel (a new setting, or close) or back off,
            // so a dead port never makes this thread spin.
            link.readCancelEvent.Wait(link.timing.hangUpBackoffMs);
            continue;
        }
        if (read.result != PortIoResult::ok || read.bytes == 0)
            continue;
        buffer.Commit(read.bytes);
        link.stats.bytesReceived.fetch_add(static_cast<int32_t>(read.bytes));
        buffer.CutFrames(
            [this](const uint8_t* packet, size_t length) {
                // Any frame, whole or damaged, shows a stop's watchdog that the line works.
                NoteLinkProgress(link.sessionContext);
                link.heardSinceAttempt.store(true);
                TracePacket(packet, length);
                RoutePacket(packet, length);
            },
            [this] {
                NoteLinkProgress(link.sessionContext);
                link.heardSinceAttempt.store(true);
                // A damaged frame on a framed diagnostic line is a reply that was lost.
                if (const int32_t kind = link.currentLinkKind.load(); kind == linkDiagLow || kind == linkDiagHigh)
                    link.replyLedger.Damaged();
            });
    }
}

void CLinkReader::TracePacket(const uint8_t* packet, size_t length)
{
    const int count = receivedPackets.fetch_add(1) + 1;
    trace.Trace("\t\t\tR: %d: %d: %2d", count, static_cast<int>(TickCount()), packet[0]);
    trace.Trace("\t%d  size: %3d", static_cast<int>(link.currentBaud.load()), static_cast<int>(length));
    if (packet[0] == statusProbeCode && length >= 34)
        trace.Trace("\tER:%d", packet[32] | (packet[33] << 8));
    trace.Trace("\n");
}

void CLinkReader::RoutePacket(const uint8_t* packet, size_t length)
{
    const uint8_t code = packet[0];
    const int32_t kind = link.currentLinkKind.load();
    switch (kind) {
    case linkDiagLow:
    case linkDiagHigh:
    case linkDownload: {
        const bool download = kind == linkDownload;
        const bool unsolicitedCode = !download && IsUnsolicitedDiagCode(code);
        const uint32_t now = TickCount();
        bool awaiting = false;
        CReplyLedger::Claimed claimed = CReplyLedger::Claimed::no;
        DiagCommandPtr answered;
        // The ledger lays every packet against the attempts still owed, so a late reply to an
        // earlier request is used up here and never answers the one after it.
        const auto verdict = link.current.Offer(
            packet, length,
            [&](const CDiagCommand* record) {
                awaiting = record != nullptr;
                if (unsolicitedCode &&
                    (record == nullptr || !ReplyFitsRequest(record->request, record->matcher.get(), packet, length)))
                    return CCurrentCommand::Verdict::refuse;
                const CReplyLedger::ClaimResult claim = link.replyLedger.Claim(record, download, packet, length, now);
                claimed = claim.claimed;
                if (claimed == CReplyLedger::Claimed::no)
                    return CCurrentCommand::Verdict::refuse;
                return claim.tentative ? CCurrentCommand::Verdict::keep : CCurrentCommand::Verdict::answer;
            },
            answered);
        if (verdict != CCurrentCommand::Verdict::refuse) {
            // A reply that replaces a tentative one shows that one was owed elsewhere: stray.
            const bool replaced = claimed == CReplyLedger::Claimed::replacesTentative;
            (replaced ? link.stats.strayReplies : link.stats.repliesTaken).fetch_add(1);
            // A reply that is final wakes its sender from here, one hand-off instead of two; the
            // writer learns of it without being woken (WaitForDMReply), unless it holds a
            // tentative reply that this one replaced (HoldTentativeReply).
            if (answered)
                handOver.HandOver(answered);
            if (!answered || replaced)
                link.replyReceivedEvent.Set();
        } else if (unsolicitedCode) {
            // Sent unasked: counted and dropped. It says nothing about the link being busy, so
            // the idle polls keep their schedule on a handset that reports events.
            link.stats.unsolicitedPackets.fetch_add(1);
        } else {
            link.stats.strayReplies.fetch_add(1);
            if (!awaiting)
                trace.Trace(download ? "Packet is dropped %d\n" : "DM Packet is dropped %d\n", code);
        }
        break;
    }
    case linkStreamDownload:
        if (code == 0x02 && link.current.AcceptAny(packet, length))
            link.replyReceivedEvent.Set();
        if (code == 0x02 && link.phoneMode.load() != modeStreamDownload) {
            link.phoneMode.store(modeStreamDownload);
            link.phoneStatus.store(phoneStatusReady);
            link.phoneStateEvent.Set();
        }
        link.lastActivity.store(TickCount());
        break;
    default:
        link.stats.strayReplies.fetch_add(1);  // no framed setting: nothing is expected
        break;
    }
}
