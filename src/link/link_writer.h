// The writer side of the link: one thread that performs queued commands one at a time, so at
// most one command is on the wire, switching the port's setting per command and handing each
// result back to its sender.
#pragma once

#include <cstdint>

#include "link/diag_command.h"
#include "link/link_state.h"
#include "link/link_status.h"

class CLinkWriter {
public:
    explicit CLinkWriter(CLinkState& linkState) : link(linkState), trace(linkState.trace) {}
    CLinkWriter(const CLinkWriter&) = delete;
    CLinkWriter& operator=(const CLinkWriter&) = delete;

    // The thread body: runs while the link is open.
    void WriterThread();
    // Gives a command with its reply to its sender (writer or receive thread); false when the
    // sender had given up first.
    bool HandOver(const DiagCommandPtr& record);

private:
    bool PerformCommand(const DiagCommandPtr& record);
    LinkStatus ApplyPortSettings(const CDiagCommand& record);
    uint32_t BaudFor(const CDiagCommand& record) const;
    void PauseReader();
    void PurgeTx();
    LinkStatus WriteCommand(const DiagCommandPtr& record);
    // Waits up to waitMs for record's reply.
    LinkStatus WaitForDMReply(const DiagCommandPtr& record, uint32_t waitMs);
    // Keeps a reply taken tentatively (CReplyLedger) until the ledger has decided whose it is.
    void HoldTentativeReply();
    // Ends the wait for the current command's reply: the receive thread stores no more into it.
    void ReleaseSlot();
    LinkStatus ExchangeRaw(const DiagCommandPtr& record);
    void CompleteCommand(const DiagCommandPtr& record, bool success);

    CLinkState& link;
    CTraceBase& trace;
};
