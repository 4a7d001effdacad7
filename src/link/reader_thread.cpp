// The receive thread: the only reader of the port for framed traffic. It cuts the byte stream
// into frames and routes each packet by the port setting in force: into the command whose
// reply the writer awaits (completing the command itself once the reply is final), to the
// notification hook, or nowhere.
#include "link/diag_port.h"

#include <atomic>
#include <mutex>
#include <vector>

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

void CDiagPort::ReaderThread()
{
    CReceiveBuffer buffer;
    while (running.load()) {
        readCancelEvent.Reset();
        if (!readEnableEvent.Wait(waitInfinite) || !running.load())
            break;
        {
            std::lock_guard guard(readerStateLock);
            if (!readEnableEvent.IsSet() || !running.load())
                continue;
            readerReading = true;
        }
        size_t freeSpace = 0;
        uint8_t* into = buffer.PrepareRead(freeSpace);
        const PortReadResult read =
            portHandle.Read(into, freeSpace, timing.readConstantMs, readCancelEvent);
        {
            std::lock_guard guard(readerStateLock);
            readerReading = false;
            readerStateChanged.notify_all();
        }
        if (!running.load())
            break;
        if (read.result == PortIoResult::hungUp || read.result == PortIoResult::failed) {
            // The other end is gone: wait for a cancel (a new setting, or close) or back off,
            // so a dead port never makes this thread spin.
            readCancelEvent.Wait(timing.hangUpBackoffMs);
            continue;
        }
        if (read.result != PortIoResult::ok || read.bytes == 0)
            continue;
        buffer.Commit(read.bytes);
        stats.bytesReceived.fetch_add(static_cast<int32_t>(read.bytes));
        buffer.CutFrames(
            [this](const uint8_t* packet, size_t length) {
                // Any frame, whole or damaged, shows a stop's watchdog that the line works.
                NoteLinkProgress(sessionContext);
                heardSinceAttempt.store(true);
                TracePacket(packet, length);
                RoutePacket(packet, length);
            },
            [this] {
                NoteLinkProgress(sessionContext);
                heardSinceAttempt.store(true);
                // A damaged frame on a framed diagnostic line is a reply that was lost.
                if (const int32_t kind = currentLinkKind.load(); kind == linkDiagLow || kind == linkDiagHigh)
                    replyLedger.Damaged();
            });
    }
}

void CDiagPort::TracePacket(const uint8_t* packet, size_t length)
{
    const int count = receivedPackets.fetch_add(1) + 1;
    Trace("\t\t\tR: %d: %d: %2d", count, static_cast<int>(TickCount()), packet[0]);
    Trace("\t%d  size: %3d", static_cast<int>(currentBaud.load()), static_cast<int>(length));
    if (packet[0] == statusProbeCode && length >= 34)
        Trace("\tER:%d", packet[32] | (packet[33] << 8));
    Trace("\n");
}

void CDiagPort::RoutePacket(const uint8_t* packet, size_t length)
{
    const uint8_t code = packet[0];
    const int32_t kind = currentLinkKind.load();
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
        const auto verdict = current.Offer(
            packet, length,
            [&](const CDiagCommand* record) {
                awaiting = record != nullptr;
                if (unsolicitedCode &&
                    (record == nullptr || !ReplyFitsRequest(record->request, record->matcher.get(), packet, length)))
                    return CCurrentCommand::Verdict::refuse;
                const CReplyLedger::ClaimResult claim = replyLedger.Claim(record, download, packet, length, now);
                claimed = claim.claimed;
                if (claimed == CReplyLedger::Claimed::no)
                    return CCurrentCommand::Verdict::refuse;
                return claim.tentative ? CCurrentCommand::Verdict::keep : CCurrentCommand::Verdict::answer;
            },
            answered);
        if (verdict != CCurrentCommand::Verdict::refuse) {
            // A reply that replaces a tentative one shows that one was owed elsewhere: stray.
            const bool replaced = claimed == CReplyLedger::Claimed::replacesTentative;
            (replaced ? stats.strayReplies : stats.repliesTaken).fetch_add(1);
            // A reply that is final wakes its sender from here, one hand-off instead of two; the
            // writer learns of it without being woken (WaitForDMReply), unless it holds a
            // tentative reply that this one replaced (HoldTentativeReply).
            if (answered)
                HandOver(answered);
            if (!answered || replaced)
                replyReceivedEvent.Set();
        } else if (unsolicitedCode) {
            // Sent unasked: counted and dropped. It says nothing about the link being busy, so
            // the idle polls keep their schedule on a handset that reports events.
            stats.unsolicitedPackets.fetch_add(1);
        } else {
            stats.strayReplies.fetch_add(1);
            if (!awaiting)
                Trace(download ? "Packet is dropped %d\n" : "DM Packet is dropped %d\n", code);
        }
        break;
    }
    case linkStreamDownload:
        if (code == 0x02 && current.AcceptAny(packet, length))
            replyReceivedEvent.Set();
        if (code == 0x02 && phoneMode.load() != modeStreamDownload) {
            phoneMode.store(modeStreamDownload);
            phoneStatus.store(phoneStatusReady);
            phoneStateEvent.Set();
        }
        lastActivity.store(TickCount());
        break;
    default:
        stats.strayReplies.fetch_add(1);  // no framed setting: nothing is expected
        break;
    }
}
