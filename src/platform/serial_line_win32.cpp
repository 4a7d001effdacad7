// The serial line on a Win32 COM port, with overlapped I/O so every wait can also watch an
// event: closing the link never waits on the hardware. Wine runs this too, so only what works
// there is used: interval and total time-outs (never the MAXDWORD "first byte" setting, whose
// reads never time out), CancelIoEx to abort a read, PurgeComm(RXCLEAR), ClearCommError for the
// bytes waiting; no WaitCommEvent and no PURGE_RXABORT.
#include "platform/line.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <utility>

#include "platform/wide_text.h"

namespace {

constexpr DWORD driverQueueBytes = 4096;
// A read's own time-out ends it; this margin only guards against a driver that never does.
constexpr uint32_t readGuardMs = 1000;

HANDLE Native(const CSyncEvent& event)
{
    return reinterpret_cast<HANDLE>(event.PollHandle());
}

class CComLine final : public CLine {
public:
    explicit CComLine(HANDLE port) : handle(port)
    {
        readDone = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        writeDone = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }
    ~CComLine() override
    {
        ::CancelIoEx(handle, nullptr);
        ::CloseHandle(handle);
        if (readDone != nullptr)
            ::CloseHandle(readDone);
        if (writeDone != nullptr)
            ::CloseHandle(writeDone);
    }
    CComLine(const CComLine&) = delete;
    CComLine& operator=(const CComLine&) = delete;

    bool Ready() const { return readDone != nullptr && writeDone != nullptr; }
    bool Configure(uint32_t baud);
    bool SetBaud(uint32_t baud) override;
    void PurgeTx() override { ::PurgeComm(handle, PURGE_TXABORT | PURGE_TXCLEAR); }
    void PurgeAll() override { ::PurgeComm(handle, PURGE_TXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR); }
    PortReadResult Read(uint8_t* buffer, size_t capacity, uint32_t firstByteTimeoutMs,
                        const CSyncEvent& cancel) override;
    size_t Write(const uint8_t* bytes, size_t length, uint32_t timeoutMs,
                 const CSyncEvent& cancel) override;

private:
    // Bytes the driver holds for reading; 0 on error.
    DWORD Waiting();
    // One overlapped read of up to count bytes ending after timeoutMs (0: none) without a byte.
    PortReadResult ReadOnce(uint8_t* buffer, DWORD count, uint32_t timeoutMs, const CSyncEvent& cancel);
    bool SetReadTimeout(uint32_t totalMs);

    const HANDLE handle;
    HANDLE readDone = nullptr;
    HANDLE writeDone = nullptr;
    uint32_t readTimeoutSet = 0xFFFFFFFEu;  // none set yet
};

bool CComLine::Configure(uint32_t baud)
{
    if (!::SetupComm(handle, driverQueueBytes, driverQueueBytes))
        return false;
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(handle, &dcb))
        return false;
    dcb.BaudRate = baud;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    if (!::SetCommState(handle, &dcb))
        return false;
    COMMTIMEOUTS timeouts{};  // writes: no time-out of the driver's own, the wait bounds them
    if (!::SetCommTimeouts(handle, &timeouts))
        return false;
    readTimeoutSet = 0;
    PurgeAll();
    return true;
}

bool CComLine::SetBaud(uint32_t baud)
{
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!SupportedBaud(baud) || !::GetCommState(handle, &dcb))
        return false;
    dcb.BaudRate = baud;
    return ::SetCommState(handle, &dcb) != 0;
}

DWORD CComLine::Waiting()
{
    DWORD errors = 0;
    COMSTAT status{};
    return ::ClearCommError(handle, &errors, &status) ? status.cbInQue : 0;
}

bool CComLine::SetReadTimeout(uint32_t totalMs)
{
    if (totalMs == readTimeoutSet)
        return true;
    COMMTIMEOUTS timeouts{};
    timeouts.ReadTotalTimeoutConstant = totalMs;  // 0 with the rest 0: no time-out at all
    if (!::SetCommTimeouts(handle, &timeouts))
        return false;
    readTimeoutSet = totalMs;
    return true;
}

PortReadResult CComLine::ReadOnce(uint8_t* buffer, DWORD count, uint32_t timeoutMs,
                                  const CSyncEvent& cancel)
{
    if (!SetReadTimeout(timeoutMs))
        return {PortIoResult::failed, 0};
    OVERLAPPED overlapped{};
    overlapped.hEvent = readDone;
    ::ResetEvent(readDone);
    DWORD got = 0;
    if (!::ReadFile(handle, buffer, count, &got, &overlapped)) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_IO_PENDING)
            return {error == ERROR_OPERATION_ABORTED ? PortIoResult::failed : PortIoResult::hungUp, 0};
        const HANDLE waits[2] = {readDone, Native(cancel)};
        const DWORD guard = timeoutMs == 0 ? INFINITE : timeoutMs + readGuardMs;
        const DWORD woke = ::WaitForMultipleObjects(2, waits, FALSE, guard);
        const bool cancelled = woke == WAIT_OBJECT_0 + 1;
        if (woke != WAIT_OBJECT_0)
            ::CancelIoEx(handle, &overlapped);
        const bool done = ::GetOverlappedResult(handle, &overlapped, &got, TRUE);
        if (got == 0 && cancelled)
            return {PortIoResult::cancelled, 0};
        if (!done && got == 0 && ::GetLastError() != ERROR_OPERATION_ABORTED)
            return {PortIoResult::hungUp, 0};
    }
    return got == 0 ? PortReadResult{PortIoResult::timedOut, 0} : PortReadResult{PortIoResult::ok, got};
}

PortReadResult CComLine::Read(uint8_t* buffer, size_t capacity, uint32_t firstByteTimeoutMs,
                              const CSyncEvent& cancel)
{
    if (buffer == nullptr || capacity == 0)
        return {PortIoResult::failed, 0};
    if (cancel.IsSet())
        return {PortIoResult::cancelled, 0};
    const DWORD limit = static_cast<DWORD>(std::min<size_t>(capacity, 1u << 20));
    // Bytes already there are taken at once; otherwise one byte is awaited (a zero total time-out
    // means none, hence the least of 1 ms), then whatever followed it.
    DWORD waiting = Waiting();
    PortReadResult first{PortIoResult::ok, 0};
    if (waiting == 0) {
        const uint32_t timeout = firstByteTimeoutMs == waitInfinite ? 0 : std::max<uint32_t>(firstByteTimeoutMs, 1);
        first = ReadOnce(buffer, 1, timeout, cancel);
        if (first.result != PortIoResult::ok)
            return first;
        waiting = Waiting();
    }
    const DWORD more = std::min(waiting, limit - static_cast<DWORD>(first.bytes));
    if (more == 0)
        return first;
    const PortReadResult rest = ReadOnce(buffer + first.bytes, more, 1, cancel);
    return {PortIoResult::ok, first.bytes + rest.bytes};
}

size_t CComLine::Write(const uint8_t* bytes, size_t length, uint32_t timeoutMs,
                       const CSyncEvent& cancel)
{
    if (bytes == nullptr || length == 0 || cancel.IsSet())
        return 0;
    OVERLAPPED overlapped{};
    overlapped.hEvent = writeDone;
    ::ResetEvent(writeDone);
    DWORD written = 0;
    const DWORD count = static_cast<DWORD>(std::min<size_t>(length, 1u << 30));
    if (!::WriteFile(handle, bytes, count, &written, &overlapped)) {
        if (::GetLastError() != ERROR_IO_PENDING)
            return 0;
        const HANDLE waits[2] = {writeDone, Native(cancel)};
        const DWORD wait = timeoutMs == waitInfinite ? INFINITE : timeoutMs;
        if (::WaitForMultipleObjects(2, waits, FALSE, wait) != WAIT_OBJECT_0)
            ::CancelIoEx(handle, &overlapped);
        ::GetOverlappedResult(handle, &overlapped, &written, TRUE);
    }
    return written;
}

LineOpenResult Failed(PortOpenFailure failure, std::string reason)
{
    return {nullptr, failure, std::move(reason)};
}

}  // namespace

LineOpenResult OpenSerialLine(const std::string& devicePath, uint32_t baud)
{
    if (devicePath.empty() || !SupportedBaud(baud))
        return Failed(PortOpenFailure::noSuchPort, "no such port");
    const HANDLE port = ::CreateFileW(WideFromUtf8(devicePath).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        // A COM port another program holds answers "access denied".
        if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION)
            return Failed(PortOpenFailure::inUse, "port in use");
        return Failed(PortOpenFailure::noSuchPort, "no such port");
    }
    auto line = std::make_unique<CComLine>(port);
    // Only character devices are ports: a typed name never makes this read or write a file.
    if (::GetFileType(port) != FILE_TYPE_CHAR)
        return Failed(PortOpenFailure::notATerminal, "not a serial port");
    if (!line->Ready() || !line->Configure(baud))
        return Failed(PortOpenFailure::settingsRefused, "port settings refused");
    return {std::move(line), PortOpenFailure::none, {}};
}
