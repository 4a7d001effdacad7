// Turns a user's port name into the device path to open. On POSIX: an absolute path as given,
// COMn as /dev/ttyS(n-1) so configuration files and habits carry over, any other name under
// /dev/. On Windows: a name starting "\\.\" as given, COMn (COM10 and above too) and any other
// name in the device namespace "\\.\".
#pragma once

#include <string>

// The device path for name, or an empty string for an empty name or "COM0".
std::string ResolvePortName(const std::string& name);

// The key under which two names open the same port: the device path, its letter case folded
// where the system ignores it (Windows), so "COM3" and "com3" are one port there.
std::string PortIdentity(const std::string& name);

// True for "COM" (any case) followed by decimal digits only; n receives their value.
bool ParseComName(const std::string& name, unsigned long& n);

// True when a and b name the same port as the user would type it: COM names match whatever the
// letter case (Windows ignores it, and COMn is a fixed name everywhere), other names byte for byte.
bool SamePortName(const std::string& a, const std::string& b);
