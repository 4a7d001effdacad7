// Auto- and manual-reset events. Every event is also pollable: its handle is readable exactly
// while the event is set, so a thread blocked in poll() on a port can be woken by an event.
#pragma once

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
    bool Valid() const { return handle >= 0; }

    void Set();
    // Sets the event and returns true only if it was clear: one atomic test-and-set, so of two
    // threads racing to signal, exactly one learns that it was first.
    bool SetIfClear();
    void Reset();
    bool IsSet() const;

    // Waits until the event is set (consuming it when auto-reset); false on time-out.
    bool Wait(uint32_t timeoutMs);

    // Readable while the event is set; for poll() beside other descriptors.
    int PollHandle() const { return handle; }

private:
    friend int WaitForAny(std::initializer_list<CSyncEvent*> events, uint32_t timeoutMs);

    // True when the event is set; an auto-reset event is cleared by the successful call.
    bool TryConsume();
    void ClearHandle();

    mutable std::mutex mutex;
    bool signalled = false;
    const EventReset mode;
    int handle = -1;
};

// Waits until one of the events is set and returns its index (the first set one wins, and only
// that one is consumed), or waitTimedOut. At most eight events.
int WaitForAny(std::initializer_list<CSyncEvent*> events, uint32_t timeoutMs);
