#include "platform/port_names.h"

#include <cctype>

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

bool SamePortName(const std::string& a, const std::string& b)
{
    unsigned long numberA = 0;
    unsigned long numberB = 0;
    if (a.size() == b.size() && ParseComName(a, numberA) && ParseComName(b, numberB))
        return numberA == numberB;
    return a == b;
}
