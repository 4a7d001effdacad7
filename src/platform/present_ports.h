// The serial ports present on this machine, found without opening any of them, in one order on
// every system: names that differ only in a trailing number sort by its value (COM2 before COM10,
// ttyS2 before ttyS10).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Where the ports present are read from. The defaults are the system's own places; tests point
// them at scratch copies. Each system reads only its own fields.
struct CPresentPortSources {
    // POSIX: stable links to USB adapters, the kernel's terminals, and the folder of device nodes.
    std::filesystem::path byId = "/dev/serial/by-id";
    std::filesystem::path sysClassTty = "/sys/class/tty";
    std::filesystem::path dev = "/dev";
    // Windows: the key under HKEY_LOCAL_MACHINE where serial drivers register their COM names.
    std::string comPortKey = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
};

// POSIX: first the stable by-id names (full paths), then the terminals of /sys/class/tty that
// have a hardware device and are not reached through a by-id name already listed; a serial-core
// port whose UART type is 0 has no hardware and is left out. Windows: the COM names the drivers
// registered. Each group in natural order.
std::vector<std::string> ListPresentSerialPorts(const CPresentPortSources& sources = {});

// The one order of port names: by the text before a trailing number, then by that number's value.
bool NaturalPortLess(const std::string& a, const std::string& b);
void SortPortsNaturally(std::vector<std::string>& ports);
