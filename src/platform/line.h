// A line to a handset: what the link needs of a serial port, whatever carries the bytes (a
// termios terminal, a Win32 COM port, or an in-process line to the built-in virtual handset).
// Reads may run on one thread while writes, purges and rate switches run on another; the line
// closes when the object is destroyed, after every thread using it has left.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/sync_event.h"

enum class PortIoResult { ok, timedOut, cancelled, hungUp, failed };

// Why the last Open failed, for hints a front end can give (e.g. the dialout group).
enum class PortOpenFailure { none, noSuchPort, permissionDenied, inUse, notATerminal, settingsRefused };

struct PortReadResult {
    PortIoResult result = PortIoResult::failed;
    size_t bytes = 0;
};

class CLine {
public:
    virtual ~CLine() = default;

    // 19200, 38400 or 115200; any other rate is refused.
    virtual bool SetBaud(uint32_t baud) = 0;

    virtual void PurgeTx() = 0;
    virtual void PurgeAll() = 0;

    // buffer holds capacity > 0 bytes. Waits up to firstByteTimeoutMs for the first byte, then returns at once with every byte
    // already buffered (at most capacity). Ends with `cancelled` as soon as cancel is set, with
    // `hungUp` when the other end has gone (the caller must back off, not retry at once).
    virtual PortReadResult Read(uint8_t* buffer, size_t capacity, uint32_t firstByteTimeoutMs,
                                const CSyncEvent& cancel) = 0;

    // bytes is not null. Writes all bytes unless timeoutMs passes, cancel is set or the line fails; returns the
    // number of bytes written.
    virtual size_t Write(const uint8_t* bytes, size_t length, uint32_t timeoutMs,
                         const CSyncEvent& cancel) = 0;
};

struct LineOpenResult {
    std::unique_ptr<CLine> line;  // null on failure
    PortOpenFailure failure = PortOpenFailure::none;
    std::string error;
};

// The baud rates every line accepts.
inline bool SupportedBaud(uint32_t baud)
{
    return baud == 19200 || baud == 38400 || baud == 115200;
}

// Opens the system's serial port at devicePath (a resolved name) for exclusive use, raw 8N1 at
// baud with no flow control and DTR/RTS raised, and purges both directions.
LineOpenResult OpenSerialLine(const std::string& devicePath, uint32_t baud);
