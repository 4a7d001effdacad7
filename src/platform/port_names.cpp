#include "platform/port_names.h"

#include <cctype>

namespace {

// True for "COM" (any case) followed by decimal digits only; n receives their value.
bool ParseComName(const std::string& name, unsigned long& n)
{
    if (name.size() < 4 || name.size() > 12)
        return false;
    for (size_t i = 0; i < 3; ++i)
        if (std::toupper(static_cast<unsigned char>(name[i])) != "COM"[i])
            return false;
    n = 0;
    for (size_t i = 3; i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i])))
            return false;
        n = n * 10 + static_cast<unsigned long>(name[i] - '0');
    }
    return true;
}

}  // namespace

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
