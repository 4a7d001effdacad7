// Where senders sleep until their command completes. A record carries only an atomic flag (see
// CDiagCommand::SetCompletion); whoever sets it, or ends the writer thread, notifies here, and
// every waiting sender looks at its own record. So a command needs no kernel object, and
// completing one costs a system call only when its sender is asleep.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "link/diag_command.h"

class CCompletionSignal {
public:
    // Wakes the waiting senders; called after a record's completion was set or the writer ended.
    void Notify();

    enum class Woken { completed, writerEnded, timedOut };
    // Waits up to waitMs until record's completion is set or writerEnded holds. On the window's
    // thread the window's hook runs whenever it is due, so the window stays painted.
    Woken Wait(const CDiagCommand& record, const std::atomic<bool>& writerEnded, uint32_t waitMs);

private:
    std::mutex lock;
    std::condition_variable changed;
};
