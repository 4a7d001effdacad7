// What the link's threads share: the open port and its setting, the command queue and reply map,
// the slot of the command on the wire, the events that wake each thread, and what detection has
// found. The link object owns one; its writer, its receive thread and its phone detector each
// work on it, so none of them reaches into another's parts.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <shared_mutex>

#include "link/command_queue.h"
#include "link/completion_signal.h"
#include "link/current_command.h"
#include "link/link_timing.h"
#include "link/link_types.h"
#include "link/port_stats.h"
#include "link/reply_ledger.h"
#include "link/reply_map.h"
#include "link/trace_base.h"
#include "link/wake_event.h"
#include "platform/serial_port.h"
#include "platform/session_context.h"
#include "platform/sync_event.h"
#include "platform/tick.h"

struct CLinkState {
    CLinkState(const LinkTiming& linkTiming, CTraceBase& traceTo)
        : timing(linkTiming),
          trace(traceTo),
          sessionContext(CurrentSessionContext()),
          lastActivity(TickCount() - linkTiming.pollIdleMs - 1)
    {
    }
    CLinkState(const CLinkState&) = delete;
    CLinkState& operator=(const CLinkState&) = delete;

    const LinkTiming timing;
    CTraceBase& trace;
    // The session the link works for: its threads count their progress there.
    CSessionContext& sessionContext;

    // True from a successful open until the close; every thread loop and wait tests it.
    std::atomic<bool> running{false};
    CSerialPort portHandle;
    // Exclusive while the port opens, closes or changes its setting.
    std::shared_mutex portLock;
    std::atomic<uint32_t> currentBaud{0};
    std::atomic<int32_t> currentLinkKind{linkNone};

    CCommandQueue queue;
    CReplyMap replies;
    CCurrentCommand current;
    CReplyLedger replyLedger;
    CCompletionSignal completions;
    CPortStats stats;
    // When a reply last completed a command; the polls wait for the link to be idle.
    std::atomic<uint32_t> lastActivity;
    // A frame arrived since the writer last wrote an attempt.
    std::atomic<bool> heardSinceAttempt{true};

    // The writer's events: it waits for a queued command, for a reply, or for either.
    CWakeGroup writerWakes;
    CWakeEvent cmdQueuedEvent{writerWakes, EventReset::automatic};
    CWakeEvent replyReceivedEvent{writerWakes, EventReset::automatic};
    // Set when the writer thread has ended, so senders stop waiting for it.
    std::atomic<bool> writerEnded{false};
    // The writer is performing a command.
    std::mutex cmdLock;
    bool cmdInProgress = false;

    // The receive thread reads while readEnableEvent is set; readCancelEvent ends a read at once.
    CSyncEvent readEnableEvent{EventReset::manual};
    CSyncEvent readCancelEvent{EventReset::manual};
    // The receive thread marks here whether it is inside a read, so a settings switch can wait
    // until the paused thread has really left the port.
    std::mutex readerStateLock;
    std::condition_variable readerStateChanged;
    bool readerReading = false;
    // Set by the close: ends a pending write, a raw read or a settle wait at once.
    CSyncEvent closingEvent{EventReset::manual};

    // What detection found. The detector writes them; the receive thread notes a handset that
    // speaks stream download on its own.
    std::atomic<int32_t> phoneStatus{phoneStatusNone};
    std::atomic<int32_t> phoneMode{modeNone};
    std::atomic<uint32_t> currentRate{baudDiagLow};
    std::atomic<uint32_t> statusProbesUnanswered{0};
    std::atomic<uint32_t> statusProbesAnswered{0};
    // Asks the polling thread for a detection run at once.
    CSyncEvent statusRequestEvent{EventReset::automatic};
    // Set whenever detection changes the status, the mode or the probe counts; wakes waiters.
    CSyncEvent phoneStateEvent{EventReset::manual};
    std::atomic<bool> pollingEnabled{true};
    // A detection run is under way: the writer sends only its probes meanwhile.
    std::mutex statusLock;
    bool collectingInfo = false;
};
