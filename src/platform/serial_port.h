// The port the link talks through: it resolves a port name, opens the line that serves it (a
// virtual port registered in this process, or the system's serial port) and forwards every call
// to that line. Reads may run on one thread while writes, purges and rate switches run on
// another.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/line.h"
#include "platform/sync_event.h"

class CSerialPort {
public:
    CSerialPort() = default;
    ~CSerialPort();
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // Opens the port called name (a virtual port, an absolute path, COMn or a system name) for
    // exclusive use, raw 8N1 at baud with no flow control and DTR/RTS raised, and purges both
    // directions. On failure the port stays closed and LastError() says why.
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

    // As CLine::Read; `failed` while the port is closed.
    PortReadResult Read(uint8_t* buffer, size_t capacity, uint32_t firstByteTimeoutMs,
                        const CSyncEvent& cancel);

    // As CLine::Write; 0 while the port is closed.
    size_t Write(const uint8_t* bytes, size_t length, uint32_t timeoutMs, const CSyncEvent& cancel);

private:
    std::unique_ptr<CLine> line;
    std::string devicePath;
    std::string lastError;
    PortOpenFailure lastFailure = PortOpenFailure::none;
    std::shared_ptr<void> virtualPortKeepAlive;
};
