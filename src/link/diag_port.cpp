// The link object's life: construction, opening and configuring the port, switching its
// setting per command, and closing it with every thread woken and joined.
#include "link/diag_port.h"

#include <chrono>
#include <system_error>

#include "platform/debug_sink.h"
#include "platform/tick.h"

CDiagPort::CDiagPort(const LinkTiming& linkTiming)
    : timing(linkTiming),
      sessionContext(CurrentSessionContext()),
      lastActivity(TickCount() - linkTiming.pollIdleMs - 1)
{
}

CDiagPort::~CDiagPort()
{
    if (running.load())
        ClosePort();
    // Threads that outlived ClosePort's bound are still joined: they hold `this`.
    JoinThreads();
    portHandle.Close();
}

LinkStatus CDiagPort::CreateEvents()
{
    const bool valid = statusRequestEvent.Valid() && readEnableEvent.Valid() &&
                       readCancelEvent.Valid() && closingEvent.Valid() &&
                       phoneStateEvent.Valid();
    if (!valid)
        return linkStatusFail;
    queue.SetSignalEvent(&cmdQueuedEvent);
    eventsCreated = true;
    return linkStatusOk;
}

LinkStatus CDiagPort::OpenPort(const std::string& name)
{
    std::unique_lock guard(portLock);
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
    if (!portHandle.Open(portName, baudDiagLow)) {
        Trace("Failed to open the Port %s\n", portHandle.DevicePath().c_str());
        guard.unlock();  // closing takes the lock itself
        ClosePort();
        return linkStatusFail;
    }
    openedOnce = true;
    PurgeTx();
    running.store(true);

    try {
        StartThread(writerThread, &CDiagPort::WriterThread);
        StartThread(pollingThread, &CDiagPort::PollingThread);
        StartThread(readerThread, &CDiagPort::ReaderThread);
    } catch (const std::system_error&) {
        // Stop whatever did start; ClosePort joins it.
        guard.unlock();
        ClosePort();
        return linkStatusFail;
    }
    pollingEnabled.store(true);
    OpenTrace(portName);
    return linkStatusOk;
}

void CDiagPort::StartThread(std::thread& slot, void (CDiagPort::*body)())
{
    {
        std::lock_guard guard(threadsLock);
        ++threadsAlive;
    }
    try {
        slot = std::thread([this, body] {
            (this->*body)();
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
    if (running.load()) {
        // Replies still owed to timed-out attempts are received before the port closes, so
        // they are counted here and never reach whoever opens the port next.
        pollingEnabled.store(false);
        replyLedger.WaitSettled(replyLedger.OverdueAfterMs());
    }
    {
        std::lock_guard guard(portLock);
        if (!running.load()) {
            if (WaitForThreads(0))
                portHandle.Close();
            return linkStatusOk;
        }
        running.store(false);
        pollingEnabled.store(false);
    }
    queue.Clear();

    // Wake every thread wherever it waits: each sees `running` false and ends.
    cmdQueuedEvent.Set();
    statusRequestEvent.Set();
    replyReceivedEvent.Set();
    readEnableEvent.Set();
    readCancelEvent.Set();
    closingEvent.Set();
    {
        std::lock_guard guard(readerStateLock);
        readerStateChanged.notify_all();
    }
    CloseTrace();

    const bool stopped = WaitForThreads(timing.closeWaitMs);
    if (stopped) {
        JoinThreads();
        portHandle.Close();
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
    std::shared_lock guard(portLock);
    *out = portName;
    return linkStatusOk;
}

uint32_t CDiagPort::BaudFor(const CDiagCommand& record) const
{
    if (record.encoding == encRaw)
        return record.linkKind == linkModemLow ? baudModemLow : baudHigh;
    if (record.type == cmdTypeProbe) {
        if (record.linkKind == linkDiagLow)
            return baudDiagLow;
        if (record.linkKind == linkDiagHigh || IsDownloadKind(record.linkKind))
            return baudHigh;
    }
    return currentRate.load();
}

void CDiagPort::PauseReader()
{
    if (readEnableEvent.IsSet()) {
        readEnableEvent.Reset();
        readCancelEvent.Set();
    }
    // The reader checks the enable event under this lock before every read, so once it is
    // seen outside a read here it stays out until the event is set again.
    std::unique_lock guard(readerStateLock);
    readerStateChanged.wait(guard, [this] { return !readerReading || !running.load(); });
}

LinkStatus CDiagPort::ApplyPortSettings(const CDiagCommand& record)
{
    const uint32_t baud = BaudFor(record);
    {
        std::shared_lock guard(portLock);
        if (record.linkKind == currentLinkKind.load() && baud == currentBaud.load())
            return linkStatusOk;
    }
    if (!running.load())
        return linkStatusFail;

    std::lock_guard guard(portLock);
    currentLinkKind.store(record.linkKind);
    PauseReader();
    replyLedger.Clear();  // replies owed under the old setting are no longer told apart
    currentBaud.store(baud);
    portHandle.SetBaud(baud);
    // Framed traffic is read by the receive thread; a raw exchange reads the port itself.
    if (record.encoding == encFramed)
        readEnableEvent.Set();
    return linkStatusOk;
}

void CDiagPort::PurgeTx()
{
    portHandle.PurgeTx();
}

void CDiagPort::DumpStats()
{
    DebugOutput(FormatStatsDump(stats));
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
