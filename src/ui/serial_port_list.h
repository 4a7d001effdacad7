// The port names the port dialog offers. The serial ports present are found from the file
// system only (/dev/serial/by-id and /sys/class/tty); no device is ever opened to list it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

constexpr const char* virtualHandsetPortName = "SIM";

struct CSerialPortDirectories {
    std::filesystem::path byId = "/dev/serial/by-id";
    std::filesystem::path sysClassTty = "/sys/class/tty";
    std::filesystem::path dev = "/dev";
};

// Serial ports present: first the stable by-id names (full paths, in name order), then the
// terminals of /sys/class/tty that have a hardware device and are not reached through a by-id
// name already listed. A serial-core port whose UART type is 0 has no hardware and is left out.
std::vector<std::string> ListPresentSerialPorts(const CSerialPortDirectories& directories = {});

// The port dialog's list: "", "COM1" to "COM4", "SIM", then the ports present.
std::vector<std::string> PortDialogChoices(const CSerialPortDirectories& directories = {});
