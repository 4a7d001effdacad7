// The port dialog's list now comes from the session and the platform; this name stays for the
// code that still includes it.
#pragma once

#include "platform/present_ports.h"
#include "session/port_choices.h"

using CSerialPortDirectories = CPresentPortSources;
