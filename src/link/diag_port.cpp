// The link object's life: construction, opening and configuring the port, starting its
// threads, and closing it with every thread woken and joined.
#include "link/diag_port.h"

#include <chrono>
#include <system_error>

#include "platform/debug_sink.h"
#include "platform/tick.h"

CDiagPort::CDiagPort(const LinkTiming& linkTiming) : state(linkTiming, *this) {}

CDiagPort::~CDiagPort()
{
    if (state.running.load())
        ClosePort();
    // Threads that outlived ClosePort's bound are still joined: they hold `this`.
    JoinThreads();
    state.portHandle.Close();
}

LinkStatus CDiagPort::CreateEvents()
{
    const bool valid = state.statusRequestEvent.Valid() && state.readEnableEvent.Valid() &&
                       state.readCancelEvent.Valid() && state.closingEvent.Valid() &&
                       state.phoneStateEvent.Valid();
    if (!valid)
        return linkStatusFail;
    state.queue.SetSignalEvent(&state.cmdQueuedEvent);
    eventsCreated = true;
    return linkStatusOk;
}

LinkStatus CDiagPort::OpenPort(const std::string& name)
{
    std::unique_lock guard(state.portLock);
    if (!eventsCreated || openedOnce)
        return linkStatusFail;
    if (name.empty()) {
        Trace("Need a port name to open a port\n");
        return linkStatusFail;
    }
    if (name.size() > portNameMaxLength) {
        Trace("Failed to open the Port %s\n", name.c_str());
        return linkStatusFail;
    }
    portName = name;
    if (!state.portHandle.Open(portName, baudDiagLow)) {
        Trace("Failed to open the Port %s\n", state.portHandle.DevicePath().c_str());
        guard.unlock();  // closing takes the lock itself
        ClosePort();
        return linkStatusFail;
    }
    openedOnce = true;
    state.portHandle.PurgeTx();
    state.running.store(true);

    try {
        StartThread(writerThread, [this] { writer.WriterThread(); });
        StartThread(pollingThread, [this] { detector.PollingThread(); });
        StartThread(readerThread, [this] { reader.ReaderThread(); });
    } catch (const std::system_error&) {
        // Stop whatever did start; ClosePort joins it.
        guard.unlock();
        ClosePort();
        return linkStatusFail;
    }
    state.pollingEnabled.store(true);
    OpenTrace(portName);
    return linkStatusOk;
}

void CDiagPort::StartThread(std::thread& slot, const std::function<void()>& body)
{
    {
        std::lock_guard guard(threadsLock);
        ++threadsAlive;
    }
    try {
        slot = std::thread([this, body] {
            body();
            std::lock_guard guard(threadsLock);
            --threadsAlive;
            threadsChanged.notify_all();
        });
    } catch (...) {
        std::lock_guard guard(threadsLock);
        --threadsAlive;
        throw;
    }
}

bool CDiagPort::WaitForThreads(uint32_t timeoutMs)
{
    std::unique_lock guard(threadsLock);
    return threadsChanged.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                                   [this] { return threadsAlive == 0; });
}

void CDiagPort::JoinThreads()
{
    for (std::thread* thread : {&writerThread, &pollingThread, &readerThread})
        if (thread->joinable())
            thread->join();
}

LinkStatus CDiagPort::ClosePort()
{
    if (state.running.load()) {
        // Replies still owed to timed-out attempts are received before the port closes, so
        // they are counted here and never reach whoever opens the port next.
        state.pollingEnabled.store(false);
        state.replyLedger.WaitSettled(state.replyLedger.OverdueAfterMs());
    }
    {
        std::lock_guard guard(state.portLock);
        if (!state.running.load()) {
            if (WaitForThreads(0))
                state.portHandle.Close();
            return linkStatusOk;
        }
        state.running.store(false);
        state.pollingEnabled.store(false);
    }
    state.queue.Clear();

    // Wake every thread wherever it waits: each sees `running` false and ends.
    state.cmdQueuedEvent.Set();
    state.statusRequestEvent.Set();
    state.replyReceivedEvent.Set();
    state.readEnableEvent.Set();
    state.readCancelEvent.Set();
    state.closingEvent.Set();
    {
        std::lock_guard guard(state.readerStateLock);
        state.readerStateChanged.notify_all();
    }
    CloseTrace();

    const bool stopped = WaitForThreads(state.timing.closeWaitMs);
    if (stopped) {
        JoinThreads();
        state.portHandle.Close();
    }
    DumpStats();
    // A thread that did not stop may still use the descriptor: it is closed only after the
    // destructor has joined that thread, never under it.
    return stopped ? linkStatusOk : linkStatusFail;
}

LinkStatus CDiagPort::GetPortName(std::string* out)
{
    if (out == nullptr)
        return linkStatusNullPointer;
    std::shared_lock guard(state.portLock);
    *out = portName;
    return linkStatusOk;
}

LinkStatus CDiagPort::SendSync(uint32_t length, const uint8_t* requestBytes, CommandType type,
                               uint32_t detail, uint32_t timeoutMs, int16_t* replyLength,
                               uint8_t* replyBuffer, const ReplyMatcherPtr& matcher, SendReport* report)
{
    return sender.SendSync(length, requestBytes, type, detail, timeoutMs, replyLength, replyBuffer,
                           matcher, report);
}

LinkStatus CDiagPort::SubmitCommand(const DiagCommandPtr& record, bool atFront, uint32_t waitMs,
                                    int16_t* replyLength, uint8_t* replyBuffer, SendReport* report)
{
    return sender.SubmitCommand(record, atFront, waitMs, replyLength, replyBuffer, report);
}

void CDiagPort::DumpStats()
{
    DebugOutput(FormatStatsDump(state.stats));
}

ReplyMatcherPtr CDiagPort::ReplyMatcherFor(uint8_t commandCode, const std::function<ReplyMatcherPtr()>& make)
{
    // A link opens once, so the matchers it keeps know only this handset since the open.
    std::lock_guard guard(matchersLock);
    ReplyMatcherPtr& matcher = matchers[commandCode];
    if (!matcher && make)
        matcher = make();
    return matcher;
}
