// The serial ports present on Windows: every serial driver (built-in UARTs, USB adapters, virtual
// port pairs) registers its COM name under one registry key, which is read without opening any
// port. Values that are not strings, or do not fit, are skipped rather than trusted.
#include "platform/present_ports.h"

#include <windows.h>

#include "platform/wide_text.h"

std::vector<std::string> ListPresentSerialPorts(const CPresentPortSources& sources)
{
    std::vector<std::string> ports;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, WideFromUtf8(sources.comPortKey).c_str(), 0, KEY_READ,
                      &key) != ERROR_SUCCESS)
        return ports;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        wchar_t value[256];
        DWORD nameLength = 256;
        // One character kept back for the terminator a stored string may lack.
        DWORD valueBytes = sizeof value - sizeof(wchar_t);
        DWORD type = 0;
        const LONG result = RegEnumValueW(key, index, name, &nameLength, nullptr, &type,
                                          reinterpret_cast<BYTE*>(value), &valueBytes);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS || type != REG_SZ)
            continue;
        value[valueBytes / sizeof(wchar_t)] = L'\0';
        std::string port = Utf8FromWide(value);
        if (!port.empty())
            ports.push_back(std::move(port));
    }
    RegCloseKey(key);
    SortPortsNaturally(ports);
    return ports;
}
