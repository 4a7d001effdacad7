// The ports a front end offers to choose from: the empty choice, the fixed names every user
// knows, the virtual handset, then the serial ports present on this machine.
#pragma once

#include <string>
#include <vector>

#include "platform/present_ports.h"

constexpr const char* virtualHandsetPortName = "SIM";

// "", "COM1" to "COM4", "SIM", then each of present in its order that names no port already
// offered (COM names compared without regard to letter case).
std::vector<std::string> PortChoicesWith(std::vector<std::string> present);

// The choices with the ports present now.
std::vector<std::string> PortDialogChoices(const CPresentPortSources& sources = {});
