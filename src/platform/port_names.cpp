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
