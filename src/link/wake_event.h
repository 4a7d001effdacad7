// An event between the link's own threads: a flag under a mutex with a condition variable.
// Setting it makes no system call unless a thread sleeps on it, and a waiter that finds it set
// needs none to consume it, where a pollable CSyncEvent costs a write to set and a read to clear
// every time. It cannot be polled beside a port; the waits that need that keep CSyncEvent.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "platform/sync_event.h"

class CWakeEvent {
public:
    explicit CWakeEvent(EventReset resetMode) : mode(resetMode) {}
    CWakeEvent(const CWakeEvent&) = delete;
    CWakeEvent& operator=(const CWakeEvent&) = delete;

    void Set();
    void Reset();
    bool IsSet();
    // Waits up to timeoutMs (waitInfinite: no limit) until the event is set, consuming it when
    // auto-reset; false on time-out.
    bool Wait(uint32_t timeoutMs);

private:
    std::mutex lock;
    std::condition_variable changed;
    bool signalled = false;
    int sleepers = 0;  // threads inside Wait; Set wakes them only when there are any
    const EventReset mode;
};
