// What belongs to one session (one handset and the operation running on it): its stop request,
// the link's progress count, where its messages go and whether they show, its statistics flag,
// its transfer-progress handler and the PC files it shares. Several sessions can run in one
// process, each on its own thread; a thread works in the context bound to it, and a thread with
// none in the process context, which the single-port front ends use. The link's own threads work
// for the context that was current when the link was made. Only a stop of every session
// (Ctrl-C) is process-wide.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

class CSharedPcFiles;

using TransferProgressHandler =
    std::function<void(const std::string& fileName, uint64_t done, uint64_t total)>;

struct CSessionContext {
    CSessionContext();
    CSessionContext(const CSessionContext&) = delete;
    CSessionContext& operator=(const CSessionContext&) = delete;

    // The stop request, lock-free so a signal handler may touch it.
    std::atomic<bool> stopRequested{false};
    // The process-wide stop count when this context's request was last cleared: a stop of every
    // session after that counts as a request here too.
    std::atomic<unsigned> everywhereCleared{0};
    // Nesting depths of stoppable operations and of stop holds.
    std::atomic<int> operationDepth{0};
    std::atomic<int> holdDepth{0};
    // Frames received and attempts written by this session's link.
    std::atomic<unsigned> linkProgress{0};

    // Reporting, used on the session's thread only. outputMode: 0 console, 1 message box,
    // anything else silent (the report layer's values).
    int outputMode = 1;
    bool reportEnabled = true;
    bool efsStatsAvailable = true;
    // In console mode, where the text the console prints goes; empty: standard output.
    std::function<void(const std::string& text)> consoleText;
    // In console mode, where a reported message goes with its code (-1: a text without one)
    // instead of the console text; empty: with the console text.
    std::function<void(int code, const std::string& text)> reportedMessage;
    TransferProgressHandler transferProgress;
    // PC files read once for this session and others running the same job; none: each its own.
    CSharedPcFiles* sharedPcFiles = nullptr;
};

// The calling thread's context: the one bound to it, else the process context.
CSessionContext& CurrentSessionContext();

// The context of the single-port front ends and of every thread without one bound.
CSessionContext& ProcessSessionContext();

// True when the calling thread works for a session of its own (one of several handsets).
bool SessionContextBound();

// Asks every session's operation to stop, those made later in this process included.
// Async-signal-safe.
void RequestStopEverywhere();

// How many times every session was asked to stop; a context remembers it when cleared.
unsigned StopEverywhereCount();

// Binds a context to the calling thread for the object's lifetime, then restores the previous.
class CSessionContextScope {
public:
    explicit CSessionContextScope(CSessionContext& context);
    ~CSessionContextScope();
    CSessionContextScope(const CSessionContextScope&) = delete;
    CSessionContextScope& operator=(const CSessionContextScope&) = delete;

private:
    CSessionContext* previous;
};
