// Events between the link's own threads: flags under a mutex with a condition variable. Setting
// one makes no system call unless a thread sleeps on it, and a waiter that finds it set needs
// none to consume it, where a pollable CSyncEvent costs a write to set and a read to clear every
// time. Events of one CWakeGroup share its lock, so a thread can wait for any of them. They
// cannot be polled beside a port; the waits that need that keep CSyncEvent.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <initializer_list>
#include <mutex>

#include "platform/sync_event.h"

class CWakeEvent;

class CWakeGroup {
public:
    // Waits up to timeoutMs (waitInfinite: no limit) until one of events (all of this group) is
    // set; returns its index, the first set one winning and only it consumed when auto-reset,
    // or waitTimedOut.
    int WaitAny(std::initializer_list<CWakeEvent*> events, uint32_t timeoutMs);

private:
    friend class CWakeEvent;
    // Under the lock: the index of the first set event, consumed when auto-reset, or waitTimedOut.
    static int TakeFirstSet(std::initializer_list<CWakeEvent*> events);

    std::mutex lock;
    std::condition_variable changed;
    int sleepers = 0;  // threads inside WaitAny; Set wakes them only when there are any
};

class CWakeEvent {
public:
    CWakeEvent(CWakeGroup& owner, EventReset resetMode) : group(owner), mode(resetMode) {}
    CWakeEvent(const CWakeEvent&) = delete;
    CWakeEvent& operator=(const CWakeEvent&) = delete;

    void Set();
    void Reset();
    bool IsSet();
    // Waits up to timeoutMs for this event alone; false on time-out.
    bool Wait(uint32_t timeoutMs) { return group.WaitAny({this}, timeoutMs) == 0; }

private:
    friend class CWakeGroup;
    CWakeGroup& group;
    bool signalled = false;  // guarded by the group's lock
    const EventReset mode;
};
