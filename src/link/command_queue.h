// Commands waiting for the writer thread, first in first out; probes may be put in front.
// Every insertion sets the signal event, which wakes the writer.
#pragma once

#include <mutex>

#include <cstddef>
#include <deque>

#include "link/diag_command.h"
#include "link/wake_event.h"

class CCommandQueue {
public:
    // The event set on every insertion; set once before the writer starts.
    void SetSignalEvent(CWakeEvent* event) { signal = event; }

    void PushBack(DiagCommandPtr record);
    void PushFront(DiagCommandPtr record);
    DiagCommandPtr PopFront();  // null when empty
    bool FrontIsProbe();
    size_t Count();
    void Clear();  // drops every queued record

private:
    std::mutex lock;
    std::deque<DiagCommandPtr> records;
    CWakeEvent* signal = nullptr;
};
