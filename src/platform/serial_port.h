// One serial port, opened exclusively and driven without blocking calls: every wait is a poll
// that a CSyncEvent can end at once, so a thread blocked on the port can always be stopped.
// Reads may run on one thread while writes, purges and rate switches run on another.
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

class CSerialPort {
public:
    CSerialPort() = default;
    ~CSerialPort();
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // Opens the port called name (a virtual port, an absolute path, COMn or a name under /dev/)
    // for exclusive use, raw 8N1 at baud with no flow control and DTR/RTS raised, and purges
    // both directions. Only terminals are opened. On failure the port stays closed and
    // LastError() says why.
    bool Open(const std::string& name, uint32_t baud);
    void Close();

    // The path actually opened (or tried by the last Open).
    const std::string& DevicePath() const { return devicePath; }
    const std::string& LastError() const { return lastError; }
    PortOpenFailure LastFailure() const { return lastFailure; }

    // 19200, 38400 or 115200; any other rate is refused.
    bool SetBaud(uint32_t baud);

    void PurgeTx();
    void PurgeAll();

    // Waits up to firstByteTimeoutMs for the first byte, then returns at once with every byte
    // already buffered (at most capacity). Ends with `cancelled` as soon as cancel is set, with
    // `hungUp` when the other end has gone (the caller must back off, not retry at once).
    PortReadResult Read(uint8_t* buffer, size_t capacity, uint32_t firstByteTimeoutMs,
                        const CSyncEvent& cancel);

    // Writes all bytes unless timeoutMs passes, cancel is set or the port fails; returns the
    // number of bytes written.
    size_t Write(const uint8_t* bytes, size_t length, uint32_t timeoutMs, const CSyncEvent& cancel);

private:
    // Records why Open failed, closes the port and returns false.
    bool Fail(PortOpenFailure failure, std::string reason);

    int fd = -1;
    std::string devicePath;
    std::string lastError;
    PortOpenFailure lastFailure = PortOpenFailure::none;
    bool exclusiveSet = false;  // this object set TIOCEXCL and must clear it on close
    std::shared_ptr<void> virtualPortKeepAlive;
};
