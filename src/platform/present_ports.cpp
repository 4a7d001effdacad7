#include "platform/present_ports.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <utility>

bool NaturalPortLess(const std::string& a, const std::string& b)
{
    auto split = [](std::string_view name) {
        std::size_t digits = name.size();
        while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1])))
            --digits;
        return std::pair(name.substr(0, digits), name.substr(digits));
    };
    const auto [stemA, numberA] = split(a);
    const auto [stemB, numberB] = split(b);
    if (stemA != stemB)
        return stemA < stemB;
    // Without leading zeros the shorter number is the smaller; with them, every distinct name
    // still has its own place, so the order stays strict.
    if (numberA.size() != numberB.size())
        return numberA.size() < numberB.size();
    return numberA < numberB;
}

void SortPortsNaturally(std::vector<std::string>& ports)
{
    std::sort(ports.begin(), ports.end(), NaturalPortLess);
}
