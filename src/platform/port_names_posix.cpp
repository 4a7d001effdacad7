// Port names on POSIX: COMn keeps its Windows meaning as /dev/ttyS(n-1), so habits and settings
// carry over; other bare names are looked up under /dev.
#include "platform/port_names.h"

std::string ResolvePortName(const std::string& name)
{
    if (name.empty())
        return {};
    if (name.front() == '/')
        return name;
    unsigned long n = 0;
    if (ParseComName(name, n))
        return n == 0 ? std::string() : "/dev/ttyS" + std::to_string(n - 1);
    return "/dev/" + name;
}

std::string PortIdentity(const std::string& name)
{
    return ResolvePortName(name);  // device paths are case-sensitive here
}
