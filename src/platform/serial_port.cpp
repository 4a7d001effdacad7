#include "platform/serial_port.h"

#include <utility>

#include "platform/port_names.h"
#include "platform/virtual_ports.h"

CSerialPort::~CSerialPort()
{
    Close();
}

bool CSerialPort::Open(const std::string& name, uint32_t baud)
{
    Close();
    LineOpenResult opened;
    if (auto lease = AcquireVirtualPort(name)) {
        devicePath = lease->devicePath;
        virtualPortKeepAlive = std::move(lease->keepAlive);
        if (lease->line && SupportedBaud(baud) && lease->line->SetBaud(baud))
            opened.line = std::move(lease->line);
        else if (!lease->line && !devicePath.empty())
            opened = OpenSerialLine(devicePath, baud);
        else
            opened = {nullptr, PortOpenFailure::noSuchPort, "no such port"};
    } else {
        devicePath = ResolvePortName(name);
        if (devicePath.empty() || !SupportedBaud(baud))
            opened = {nullptr, PortOpenFailure::noSuchPort, "no such port"};
        else
            opened = OpenSerialLine(devicePath, baud);
    }
    if (!opened.line) {
        lastFailure = opened.failure;
        lastError = std::move(opened.error);
        Close();
        return false;
    }
    line = std::move(opened.line);
    line->PurgeAll();
    lastError.clear();
    lastFailure = PortOpenFailure::none;
    return true;
}

void CSerialPort::Close()
{
    // The line goes before whatever serves it.
    line.reset();
    virtualPortKeepAlive.reset();
}

bool CSerialPort::SetBaud(uint32_t baud)
{
    return line && SupportedBaud(baud) && line->SetBaud(baud);
}

void CSerialPort::PurgeTx()
{
    if (line)
        line->PurgeTx();
}

void CSerialPort::PurgeAll()
{
    if (line)
        line->PurgeAll();
}

PortReadResult CSerialPort::Read(uint8_t* buffer, size_t capacity, uint32_t firstByteTimeoutMs,
                                 const CSyncEvent& cancel)
{
    if (!line || buffer == nullptr || capacity == 0)
        return {PortIoResult::failed, 0};
    return line->Read(buffer, capacity, firstByteTimeoutMs, cancel);
}

size_t CSerialPort::Write(const uint8_t* bytes, size_t length, uint32_t timeoutMs,
                          const CSyncEvent& cancel)
{
    if (!line || bytes == nullptr)
        return 0;
    return line->Write(bytes, length, timeoutMs, cancel);
}
