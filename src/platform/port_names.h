// Turns a user's port name into the device path to open: an absolute path as given, COMn as
// /dev/ttyS(n-1) so configuration files and habits carry over, any other name under /dev/.
#pragma once

#include <string>

// The device path for name, or an empty string for an empty name or "COM0".
std::string ResolvePortName(const std::string& name);
