// The link object: one open serial port, the three threads that drive it (writer, receive,
// polling), the command queue and reply map, and the detection of the handset's status and
// mode. A pointer to it is the port handle every EFS operation takes.
//
// Use: construct, CreateEvents, OpenPort, wait for GetPhoneStatus() to read phoneStatusReady,
// send requests with SendSync from any thread, destroy to disconnect.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "link/command_sender.h"
#include "link/diag_command.h"
#include "link/link_reader.h"
#include "link/link_state.h"
#include "link/link_status.h"
#include "link/link_timing.h"
#include "link/link_types.h"
#include "link/link_writer.h"
#include "link/phone_detector.h"
#include "link/port_stats.h"
#include "link/reply_matcher.h"
#include "link/trace_base.h"
#include "platform/serial_port.h"

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
    PortOpenFailure LastOpenFailure() const { return state.portHandle.LastFailure(); }
    int GetPhoneStatus() const { return state.phoneStatus.load(); }
    int GetPhoneMode() const { return state.phoneMode.load(); }
    bool IsRunning() const { return state.running.load(); }
    const LinkTiming& Timing() const { return state.timing; }
    const CPortStats& Stats() const { return state.stats; }
    size_t QueuedCommands() { return state.queue.Count(); }
    // The detection behind GetPhoneStatus: the model, the rate, the probe counts and the waits
    // for a status or mode.
    CPhoneDetector& Detection() { return detector; }

    // The request operation every EFS request and module procedure uses, and its waiting half
    // for a record built by the caller; both are CCommandSender's, on this link's queue.
    LinkStatus SendSync(uint32_t length, const uint8_t* requestBytes, CommandType type,
                        uint32_t detail, uint32_t timeoutMs, int16_t* replyLength,
                        uint8_t* replyBuffer, const ReplyMatcherPtr& matcher = nullptr,
                        SendReport* report = nullptr);
    LinkStatus SubmitCommand(const DiagCommandPtr& record, bool atFront, uint32_t waitMs,
                             int16_t* replyLength, uint8_t* replyBuffer, SendReport* report = nullptr);

    // This link's matcher for the replies of commandCode's family, made by make on first use
    // after the link opened, so what it learns about the handset lasts while the link is open.
    ReplyMatcherPtr ReplyMatcherFor(uint8_t commandCode, const std::function<ReplyMatcherPtr()>& make);

private:
    void StartThread(std::thread& slot, const std::function<void()>& body);
    bool WaitForThreads(uint32_t timeoutMs);
    void JoinThreads();
    void DumpStats();

    CLinkState state;
    CCommandSender sender{state};
    CLinkWriter writer{state};
    CLinkReader reader{state, writer};
    CPhoneDetector detector{sender, state};

    std::string portName;  // under state.portLock
    bool eventsCreated = false;
    bool openedOnce = false;

    std::thread writerThread;
    std::thread pollingThread;
    std::thread readerThread;
    std::mutex threadsLock;
    std::condition_variable threadsChanged;
    int threadsAlive = 0;

    std::mutex matchersLock;
    std::map<uint8_t, ReplyMatcherPtr> matchers;
};
