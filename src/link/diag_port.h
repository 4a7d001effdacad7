// The link object: one open serial port, the three threads that drive it (writer, receive,
// polling), the command queue and reply map, and the detection of the handset's status and
// mode. A pointer to it is the port handle every EFS operation takes.
//
// Use: construct, CreateEvents, OpenPort, wait for GetPhoneStatus() to read phoneStatusReady,
// send requests with SendSync from any thread, destroy to disconnect.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <thread>

#include "link/command_queue.h"
#include "link/completion_signal.h"
#include "link/current_command.h"
#include "link/diag_command.h"
#include "link/link_status.h"
#include "link/link_timing.h"
#include "link/link_types.h"
#include "link/port_stats.h"
#include "link/receive_buffer.h"
#include "link/reply_ledger.h"
#include "link/reply_map.h"
#include "link/trace_base.h"
#include "link/wake_event.h"
#include "platform/serial_port.h"
#include "platform/session_context.h"
#include "platform/sync_event.h"

constexpr size_t portNameMaxLength = 256;

class CDiagPort : public CTraceBase {
public:
    explicit CDiagPort(const LinkTiming& linkTiming = LinkTiming());
    ~CDiagPort() override;
    CDiagPort(const CDiagPort&) = delete;
    CDiagPort& operator=(const CDiagPort&) = delete;

    // Prepares the events the queue and the polling thread use; must precede OpenPort.
    LinkStatus CreateEvents();
    // Opens and configures the port (38400 8N1) and starts the writer, polling and receive
    // threads. The first detection run starts at once.
    LinkStatus OpenPort(const std::string& portName);
    // Stops the threads (waking each at once) and closes the port; the destructor calls it.
    LinkStatus ClosePort();

    LinkStatus GetPortName(std::string* out);
    // Why the last OpenPort could not open the port.
    PortOpenFailure LastOpenFailure() const { return portHandle.LastFailure(); }
    int GetPhoneStatus() const { return phoneStatus.load(); }
    int GetPhoneMode() const { return phoneMode.load(); }
    uint32_t GetCurrentRate() const { return currentRate.load(); }
    // The model the handset named in its basic information reply; empty before one came.
    std::string PhoneModel() const;
    bool IsRunning() const { return running.load(); }
    const LinkTiming& Timing() const { return timing; }
    const CPortStats& Stats() const { return stats; }
    size_t QueuedCommands() { return queue.Count(); }
    // Attempts of status probes the handset left unanswered, and probes it answered, since the
    // link opened. A reset shows as an unanswered attempt followed by an answered probe, even
    // when the handset is back before a probe's last attempt, let alone a detection run, failed.
    uint32_t StatusProbesUnanswered() const { return statusProbesUnanswered.load(); }
    uint32_t StatusProbesAnswered() const { return statusProbesAnswered.load(); }

    // Waits on the calling thread until reached() holds, reading it again at once whenever the
    // detected status, mode or probe counts change. Calls onPeriod (may be empty) after each
    // full modeWaitPeriodMs-long period; after `periods` of them returns reached() as it then
    // reads. On the window's thread the wait keeps the window painted.
    bool WaitForPhone(const std::function<bool()>& reached, uint32_t periods,
                      const std::function<void()>& onPeriod, uint32_t periodMs);

    // Sends one request and waits for its reply. length: 1 to 2046 request bytes; detail: the
    // LinkKind for probes, else a per-attempt time-out (0: timeoutMs); replyLength: in the
    // capacity of replyBuffer, out the reply length (both may be null).
    LinkStatus SendSync(uint32_t length, const uint8_t* requestBytes, CommandType type,
                        uint32_t detail, uint32_t timeoutMs, int16_t* replyLength,
                        uint8_t* replyBuffer, const ReplyMatcherPtr& matcher = nullptr,
                        SendReport* report = nullptr);

    // This link's matcher for the replies of commandCode's family, made by make on first use
    // after the link opened, so what it learns about the handset lasts while the link is open.
    ReplyMatcherPtr ReplyMatcherFor(uint8_t commandCode, const std::function<ReplyMatcherPtr()>& make);

    // Queues a record built by the caller (at the front for probes) and waits up to waitMs
    // for its completion; the waiting half of SendSync.
    LinkStatus SubmitCommand(const DiagCommandPtr& record, bool atFront, uint32_t waitMs,
                             int16_t* replyLength, uint8_t* replyBuffer, SendReport* report = nullptr);

    // Detection (polling thread).
    LinkStatus CollectPhoneInfo();
    LinkStatus ProbeDiagStatus(int32_t& status, int32_t& mode, uint8_t* reply, int16_t& capacity);
    LinkStatus ProbeDownload(int32_t& status, int32_t& mode);
    // One status probe of kind with a single attempt of replyMs.
    LinkStatus ProbeOnce(int32_t kind, uint32_t replyMs, uint8_t* reply, int16_t& capacity);
    LinkStatus ProbeStreamDownload(int32_t& status, int32_t& mode);
    LinkStatus SwitchTo115200();
    LinkStatus ReadBasicInfo();
    LinkStatus SwitchModemToDiag(int32_t kind);
    // Writes text raw and collects what the phone answers until it falls silent; true when
    // something came back. receivedLength (may be null) gets the number of bytes.
    bool SendModemCommand(int32_t kind, const char* text, uint8_t* replyBuffer, uint32_t waitMs,
                          uint32_t replyTimeout, uint32_t* receivedLength = nullptr);

private:
    // Threads.
    void WriterThread();
    void ReaderThread();
    void PollingThread();
    void StartThread(std::thread& slot, void (CDiagPort::*body)());

    // Writer side.
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
    // Gives a command with its reply to its sender (writer or receive thread); false when the
    // sender had given up first.
    bool HandOver(const DiagCommandPtr& record);
    bool PerformCommand(const DiagCommandPtr& record);

    // Receive side.
    void RoutePacket(const uint8_t* packet, size_t length);
    void TracePacket(const uint8_t* packet, size_t length);

    // Polling side.
    void PollIfIdle();
    void TracePhoneState(int32_t status, int32_t mode);
    void FinishCollecting();

    void DumpStats();
    bool WaitForThreads(uint32_t timeoutMs);
    void JoinThreads();

    mutable std::mutex modelLock;
    std::string phoneModel;

    const LinkTiming timing;
    // The session the link works for: its threads count their progress there.
    CSessionContext& sessionContext;
    // A frame arrived since the writer last wrote an attempt.
    std::atomic<bool> heardSinceAttempt{true};

    std::atomic<bool> running{false};
    CCommandQueue queue;
    CReplyMap replies;
    std::atomic<int32_t> phoneStatus{phoneStatusNone};
    std::atomic<int32_t> phoneMode{modeNone};
    std::atomic<uint32_t> currentBaud{0};
    std::shared_mutex portLock;  // the port name and its setting
    std::string portName;

    std::thread writerThread;
    std::thread pollingThread;
    std::thread readerThread;
    // The writer's events: it waits for a queued command, for a reply, or for either.
    CWakeGroup writerWakes;
    CWakeEvent cmdQueuedEvent{writerWakes, EventReset::automatic};
    CSyncEvent statusRequestEvent{EventReset::automatic};
    bool eventsCreated = false;
    bool openedOnce = false;

    std::mutex statusLock;
    bool collectingInfo = false;
    std::mutex cmdLock;
    bool cmdInProgress = false;
    std::atomic<uint32_t> currentRate{baudDiagLow};
    std::atomic<uint32_t> statusProbesUnanswered{0};
    std::atomic<uint32_t> statusProbesAnswered{0};

    CSerialPort portHandle;
    CSyncEvent readEnableEvent{EventReset::manual};
    CSyncEvent readCancelEvent{EventReset::manual};
    CWakeEvent replyReceivedEvent{writerWakes, EventReset::automatic};
    // Set by ClosePort: ends a pending write, a raw read or a settle wait at once.
    CSyncEvent closingEvent{EventReset::manual};
    // Set whenever detection changes the status, the mode or the probe counts; wakes waiters.
    CSyncEvent phoneStateEvent{EventReset::manual};
    // Set when the writer thread has ended, so senders stop waiting for it.
    std::atomic<bool> writerEnded{false};
    CCompletionSignal completions;

    // The receive thread marks here whether it is inside a read, so a settings switch can wait
    // until the paused thread has really left the port.
    std::mutex readerStateLock;
    std::condition_variable readerStateChanged;
    bool readerReading = false;

    std::mutex threadsLock;
    std::condition_variable threadsChanged;
    int threadsAlive = 0;

    CCurrentCommand current;
    CReplyLedger replyLedger;
    std::mutex matchersLock;
    std::map<uint8_t, ReplyMatcherPtr> matchers;
    std::atomic<uint32_t> lastActivity;
    std::atomic<int32_t> currentLinkKind{linkNone};
    std::atomic<bool> pollingEnabled{true};
    CPortStats stats;
};
