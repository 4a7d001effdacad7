// The master side of a pseudo-terminal, for a program that plays the far end of a serial line.
// The slave stays open as long as the master does, so the master never sees a hang-up between
// clients. Every wait can be ended at once from another thread, and stays ended, by Wake().
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/sync_event.h"

// What a wait watches on the line besides the wake-up.
enum class PtyWatch { nothing, input, output };

enum class PtyWaitResult {
    ready,     // the watched direction can be used now
    woken,     // Wake() was called
    hungUp,    // the line reports a hang-up or an error instead
    timedOut,  // the time passed, or a signal cut the wait short
    failed     // the wait itself failed
};

// Bytes moved by one call; lineGone when the line can no longer carry any.
struct PtyTransfer {
    size_t bytes = 0;
    bool lineGone = false;
};

class CPtyMaster {
public:
    // Opens a pair whose slave is raw at 38400 bits/s. nullptr on failure, with the reason in error.
    static std::unique_ptr<CPtyMaster> Open(std::string& error);

    ~CPtyMaster();
    CPtyMaster(const CPtyMaster&) = delete;
    CPtyMaster& operator=(const CPtyMaster&) = delete;

    // The terminal a client opens (e.g. "/dev/pts/7").
    const std::string& SlavePath() const { return slavePath; }

    // Whatever has arrived, at most capacity bytes, without waiting.
    PtyTransfer Read(uint8_t* buffer, size_t capacity);
    // As many of the bytes as the line takes now, without waiting.
    PtyTransfer Write(const uint8_t* bytes, size_t count);
    // Waits up to timeoutMs (or waitInfinite) for the watched direction or a wake-up.
    PtyWaitResult Wait(PtyWatch watch, uint32_t timeoutMs);
    // Ends the current wait and every later one.
    void Wake();

    // The line rate a client set on the slave, in bits per second (0 when unknown).
    uint32_t SlaveBaud() const;

private:
    CPtyMaster(int master, int slave, std::string path);

    const int masterFd;
    const int slaveFd;
    const std::string slavePath;
    CSyncEvent wake{EventReset::manual};
};
