// Finding the handset behind an open link: the polling thread's detection runs, the status
// probes and mode checks they send through the link's queue, and the waits of callers that need
// the handset in a given status or mode.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "link/command_sender.h"
#include "link/link_state.h"
#include "link/link_status.h"

class CPhoneDetector {
public:
    CPhoneDetector(CCommandSender& commandSender, CLinkState& linkState)
        : sender(commandSender), link(linkState), trace(linkState.trace)
    {
    }
    CPhoneDetector(const CPhoneDetector&) = delete;
    CPhoneDetector& operator=(const CPhoneDetector&) = delete;

    // The thread body: detects at once, then again on the poll timer while the link is idle,
    // and at once when asked.
    void PollingThread();

    // Waits on the calling thread until reached() holds, reading it again at once whenever the
    // detected status, mode or probe counts change. Calls onPeriod (may be empty) after each
    // full periodMs-long period; after `periods` of them returns reached() as it then reads. On
    // the window's thread the wait keeps the window painted.
    bool WaitForPhone(const std::function<bool()>& reached, uint32_t periods,
                      const std::function<void()>& onPeriod, uint32_t periodMs);

    // The model the handset named in its basic information reply; empty before one came.
    std::string PhoneModel() const;
    // The rate the handset is believed to speak diagnostic protocol at.
    uint32_t CurrentRate() const { return link.currentRate.load(); }
    // Attempts of status probes the handset left unanswered, and probes it answered, since the
    // link opened. A reset shows as an unanswered attempt followed by an answered probe, even
    // when the handset is back before a probe's last attempt, let alone a detection run, failed.
    uint32_t StatusProbesUnanswered() const { return link.statusProbesUnanswered.load(); }
    uint32_t StatusProbesAnswered() const { return link.statusProbesAnswered.load(); }

private:
    // One detection run; fails at once while another runs or the link is closed.
    LinkStatus CollectPhoneInfo();
    void PollIfIdle();
    LinkStatus ProbeDiagStatus(int32_t& status, int32_t& mode, uint8_t* reply, int16_t& capacity);
    // One status probe of kind with a single attempt of replyMs.
    LinkStatus ProbeOnce(int32_t kind, uint32_t replyMs, uint8_t* reply, int16_t& capacity);
    LinkStatus ProbeDownload(int32_t& status, int32_t& mode);
    LinkStatus ProbeStreamDownload(int32_t& status, int32_t& mode);
    LinkStatus SwitchTo115200();
    LinkStatus ReadBasicInfo();
    LinkStatus SwitchModemToDiag(int32_t kind);
    // Writes text raw and collects what the phone answers until it falls silent; true when
    // something came back. receivedLength (may be null) gets the number of bytes.
    bool SendModemCommand(int32_t kind, const char* text, uint8_t* replyBuffer, uint32_t waitMs,
                          uint32_t replyTimeout, uint32_t* receivedLength = nullptr);
    void FinishCollecting();
    void TracePhoneState(int32_t status, int32_t mode);

    CCommandSender& sender;
    CLinkState& link;
    CTraceBase& trace;
    mutable std::mutex modelLock;
    std::string phoneModel;
};
