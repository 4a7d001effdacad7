// Both ends share one state under a mutex. Each end's wait is a WaitForAny on manual events that
// mirror the queues (bytes to read, room to write), so a cancel or a wake ends it at once.
#include "platform/loop_line.h"

#include <algorithm>
#include <chrono>
#include <deque>
#include <mutex>

namespace {

// A pty's buffer is about this size; a writer that outruns its reader waits, as it would there.
constexpr size_t queueCapacity = 4096;

struct LoopState {
    std::mutex mutex;
    std::deque<uint8_t> toHost;
    std::deque<uint8_t> toClient;
    uint32_t baud = 38400;
    bool clientGone = false;
    bool hostGone = false;
    CSyncEvent hostInput{EventReset::manual};
    CSyncEvent hostSpace{EventReset::manual, true};
    CSyncEvent clientInput{EventReset::manual};
    CSyncEvent clientSpace{EventReset::manual, true};

    // Brings the events in line with the queues; called with the mutex held.
    void Update()
    {
        Mirror(hostInput, !toHost.empty());
        Mirror(hostSpace, toClient.size() < queueCapacity);
        Mirror(clientInput, !toClient.empty() || hostGone);
        Mirror(clientSpace, toHost.size() < queueCapacity || hostGone);
    }

    static void Mirror(CSyncEvent& event, bool set)
    {
        if (set)
            event.Set();
        else
            event.Reset();
    }
};

size_t Take(std::deque<uint8_t>& queue, uint8_t* buffer, size_t capacity)
{
    const size_t n = std::min(capacity, queue.size());
    std::copy_n(queue.begin(), n, buffer);
    queue.erase(queue.begin(), queue.begin() + static_cast<std::ptrdiff_t>(n));
    return n;
}

size_t Put(std::deque<uint8_t>& queue, const uint8_t* bytes, size_t count)
{
    const size_t n = std::min(count, queueCapacity - std::min(queueCapacity, queue.size()));
    queue.insert(queue.end(), bytes, bytes + n);
    return n;
}

class CLoopClient final : public CLine {
public:
    explicit CLoopClient(std::shared_ptr<LoopState> shared) : state(std::move(shared)) {}
    ~CLoopClient() override
    {
        std::lock_guard lock(state->mutex);
        state->clientGone = true;
        state->toHost.clear();
        state->toClient.clear();
        state->Update();
    }
    CLoopClient(const CLoopClient&) = delete;
    CLoopClient& operator=(const CLoopClient&) = delete;

    bool SetBaud(uint32_t baud) override
    {
        if (!SupportedBaud(baud))
            return false;
        std::lock_guard lock(state->mutex);
        state->baud = baud;
        return true;
    }

    void PurgeTx() override
    {
        std::lock_guard lock(state->mutex);
        state->toHost.clear();
        state->Update();
    }

    void PurgeAll() override
    {
        std::lock_guard lock(state->mutex);
        state->toHost.clear();
        state->toClient.clear();
        state->Update();
    }

    PortReadResult Read(uint8_t* buffer, size_t capacity, uint32_t firstByteTimeoutMs,
                        const CSyncEvent& cancel) override
    {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(firstByteTimeoutMs);
        for (;;) {
            if (cancel.IsSet())
                return {PortIoResult::cancelled, 0};
            {
                std::lock_guard lock(state->mutex);
                if (!state->toClient.empty()) {
                    const size_t n = Take(state->toClient, buffer, capacity);
                    state->Update();
                    return {PortIoResult::ok, n};
                }
                if (state->hostGone)
                    return {PortIoResult::hungUp, 0};
            }
            const uint32_t waitMs = WaitTimeLeft(deadline, firstByteTimeoutMs);
            if (waitMs == 0)
                return {PortIoResult::timedOut, 0};
            // Manual events are only read by WaitForAny, never cleared, so the const cancel is
            // left as it was.
            WaitForAny({&state->clientInput, const_cast<CSyncEvent*>(&cancel)}, waitMs);
        }
    }

    size_t Write(const uint8_t* bytes, size_t length, uint32_t timeoutMs,
                 const CSyncEvent& cancel) override
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        size_t written = 0;
        while (written < length && !cancel.IsSet()) {
            {
                std::lock_guard lock(state->mutex);
                if (state->hostGone)
                    break;
                written += Put(state->toHost, bytes + written, length - written);
                state->Update();
                if (written == length)
                    break;
            }
            const uint32_t waitMs = WaitTimeLeft(deadline, timeoutMs);
            if (waitMs == 0)
                break;
            WaitForAny({&state->clientSpace, const_cast<CSyncEvent*>(&cancel)}, waitMs);
        }
        return written;
    }

private:
    const std::shared_ptr<LoopState> state;
};

class CLoopHost final : public CHostLine {
public:
    CLoopHost(std::shared_ptr<LoopState> shared, std::string path)
        : state(std::move(shared)), name(std::move(path))
    {
    }
    ~CLoopHost() override
    {
        std::lock_guard lock(state->mutex);
        state->hostGone = true;
        state->toClient.clear();
        state->Update();
    }
    CLoopHost(const CLoopHost&) = delete;
    CLoopHost& operator=(const CLoopHost&) = delete;

    const std::string& SlavePath() const override { return name; }

    PtyTransfer Read(uint8_t* buffer, size_t capacity) override
    {
        std::lock_guard lock(state->mutex);
        const size_t n = Take(state->toHost, buffer, capacity);
        state->Update();
        return {n, false};
    }

    PtyTransfer Write(const uint8_t* bytes, size_t count) override
    {
        std::lock_guard lock(state->mutex);
        // With no client the bytes go nowhere, as they would into a pty nobody has open.
        const size_t n = state->clientGone ? count : Put(state->toClient, bytes, count);
        state->Update();
        return {n, false};
    }

    PtyWaitResult Wait(PtyWatch watch, uint32_t timeoutMs) override
    {
        int index = waitTimedOut;
        if (watch == PtyWatch::nothing)
            index = wake.Wait(timeoutMs) ? 0 : waitTimedOut;
        else
            index = WaitForAny({&wake, watch == PtyWatch::input ? &state->hostInput : &state->hostSpace},
                               timeoutMs);
        if (index == waitTimedOut)
            return PtyWaitResult::timedOut;
        return index == 0 ? PtyWaitResult::woken : PtyWaitResult::ready;
    }

    void Wake() override { wake.Set(); }

    uint32_t SlaveBaud() const override
    {
        std::lock_guard lock(state->mutex);
        return state->baud;
    }

private:
    const std::shared_ptr<LoopState> state;
    const std::string name;
    CSyncEvent wake{EventReset::manual};
};

}  // namespace

LoopLinePair MakeLoopLine(const std::string& name)
{
    auto state = std::make_shared<LoopState>();
    return {std::make_unique<CLoopClient>(state), std::make_unique<CLoopHost>(state, name)};
}
