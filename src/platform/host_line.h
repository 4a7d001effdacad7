// The far end of a line, for a program that plays the handset: a pseudo-terminal's master side,
// or the host end of an in-process line. Every wait can be ended at once from another thread,
// and stays ended, by Wake().
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

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

class CHostLine {
public:
    virtual ~CHostLine() = default;

    // What a client opens to reach this line (e.g. "/dev/pts/7").
    virtual const std::string& SlavePath() const = 0;

    // Whatever has arrived, at most capacity bytes, without waiting.
    virtual PtyTransfer Read(uint8_t* buffer, size_t capacity) = 0;
    // As many of the bytes as the line takes now, without waiting.
    virtual PtyTransfer Write(const uint8_t* bytes, size_t count) = 0;
    // Waits up to timeoutMs (or waitInfinite) for the watched direction or a wake-up.
    virtual PtyWaitResult Wait(PtyWatch watch, uint32_t timeoutMs) = 0;
    // Ends the current wait and every later one.
    virtual void Wake() = 0;

    // The line rate the client set, in bits per second (0 when unknown).
    virtual uint32_t SlaveBaud() const = 0;
};
