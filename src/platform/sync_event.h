// Auto- and manual-reset events. Every event also has a system handle that is signalled exactly
// while the event is set (an eventfd readable to poll(), or a Win32 event), so a thread blocked
// on a port can be woken by an event.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <mutex>

constexpr uint32_t waitInfinite = 0xFFFFFFFFu;
constexpr int waitTimedOut = -1;

enum class EventReset { manual, automatic };

class CSyncEvent {
public:
    explicit CSyncEvent(EventReset mode, bool initiallySet = false);
    ~CSyncEvent();
    CSyncEvent(const CSyncEvent&) = delete;
    CSyncEvent& operator=(const CSyncEvent&) = delete;

    // False when the system could not create the handle; such an event never becomes set.
    bool Valid() const { return handle != invalidHandle; }

    void Set();
    // Sets the event and returns true only if it was clear: one atomic test-and-set, so of two
    // threads racing to signal, exactly one learns that it was first.
    bool SetIfClear();
    void Reset();
    bool IsSet() const;

    // Waits until the event is set (consuming it when auto-reset); false on time-out.
    bool Wait(uint32_t timeoutMs);

    // Signalled while the event is set: on POSIX a descriptor for poll() beside others, on
    // Windows a HANDLE for WaitForMultipleObjects.
    std::intptr_t PollHandle() const { return handle; }

private:
    friend int WaitForAny(std::initializer_list<CSyncEvent*> events, uint32_t timeoutMs);

    // True when the event is set; an auto-reset event is cleared by the successful call.
    bool TryConsume();
    // The system handle's side of Set and Reset; called with the mutex held.
    void RaiseHandle();
    void ClearHandle();
    // Blocks until one of the events' handles is signalled or timeoutMs passes; false when the
    // wait itself failed.
    static bool WaitOnHandles(std::initializer_list<CSyncEvent*> events, uint32_t timeoutMs);
    // The handle as a POSIX descriptor.
    int Descriptor() const { return static_cast<int>(handle); }

    mutable std::mutex mutex;
    bool signalled = false;
    const EventReset mode;
    static constexpr std::intptr_t invalidHandle = -1;
    std::intptr_t handle = invalidHandle;
};

// Waits until one of the events is set and returns its index (the first set one wins, and only
// that one is consumed), or waitTimedOut. At most eight events.
int WaitForAny(std::initializer_list<CSyncEvent*> events, uint32_t timeoutMs);

// Milliseconds left until deadline for a wait of timeoutMs that started deadline - timeoutMs
// ago: waitInfinite for an infinite wait, 0 once the deadline has passed.
uint32_t WaitTimeLeft(std::chrono::steady_clock::time_point deadline, uint32_t timeoutMs);
