// The COM port list on Windows: the serial ports the drivers have registered, read twice a
// second (nothing tells a console program of a new one without a window to receive it).
#include "platform/port_watch.h"

#include <windows.h>

#include <algorithm>
#include <thread>

#include "platform/wide_text.h"

struct CPortWatch::CState {};

CPortWatch::CPortWatch(const std::string&) : state(std::make_unique<CState>()) {}

CPortWatch::~CPortWatch() = default;

bool CPortWatch::Valid() const { return true; }

std::vector<std::string> CPortWatch::Present() const
{
    std::vector<std::string> ports;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return ports;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        wchar_t value[256];
        DWORD nameLength = 256;
        DWORD valueBytes = sizeof value - sizeof(wchar_t);
        DWORD type = 0;
        const LONG result = RegEnumValueW(key, index, name, &nameLength, nullptr, &type,
                                          reinterpret_cast<BYTE*>(value), &valueBytes);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS || type != REG_SZ)
            continue;
        value[valueBytes / sizeof(wchar_t)] = L'\0';
        ports.push_back(Utf8FromWide(value));
    }
    RegCloseKey(key);
    std::sort(ports.begin(), ports.end());
    return ports;
}

void CPortWatch::WaitForChange(std::chrono::milliseconds timeout)
{
    std::this_thread::sleep_for(std::min(timeout, std::chrono::milliseconds(500)));
}
