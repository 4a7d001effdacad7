// Port names on Windows: every COM port is opened through the device namespace, the only way
// that reaches COM10 and above.
#include "platform/port_names.h"

std::string ResolvePortName(const std::string& name)
{
    static const std::string deviceNamespace = "\\\\.\\";
    if (name.empty())
        return {};
    if (name.rfind(deviceNamespace, 0) == 0)
        return name;
    unsigned long n = 0;
    if (ParseComName(name, n) && n == 0)
        return {};
    // COM10 and above can only be opened this way; COM1 to COM9 work either way.
    return deviceNamespace + name;
}

std::string PortIdentity(const std::string& name)
{
    // The device namespace ignores letter case: \\.\com3 opens COM3.
    std::string identity = ResolvePortName(name);
    for (char& c : identity)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return identity;
}
