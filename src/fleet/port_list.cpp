#include "fleet/port_list.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "platform/port_names.h"

namespace {

bool IsBareSim(const std::string& name)
{
    if (name.size() != 3)
        return false;
    std::string upper = name;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return upper == "SIM";
}

}  // namespace

std::string PortLabel(const std::string& name)
{
    if (name.size() >= 3 && IsBareSim(name.substr(0, 3)) && (name.size() == 3 || name[3] == ':'))
        return "SIM";
    const size_t cut = name.find_last_of("/\\");
    std::string label = cut == std::string::npos ? name : name.substr(cut + 1);
    // A label becomes a folder name: nothing that could climb out of the folder or be refused.
    for (char& c : label)
        if (c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|')
            c = '_';
    if (label.empty() || label == "." || label == "..")
        label = "port";
    return label;
}

CPortList ParsePortList(const std::string& text)
{
    CPortList list;
    std::map<std::string, std::string> devices;  // port identity -> the name that took it
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        const std::string name = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (name.empty()) {
            list.refusal = "Error - Empty port name in the port list";
            return list;
        }
        if (!IsBareSim(name)) {
            const std::string device = PortIdentity(name);
            const auto [taken, fresh] = devices.emplace(device.empty() ? name : device, name);
            if (!fresh) {
                list.refusal = "Error - Port " + name + " is named twice";
                return list;
            }
        }
        list.ports.push_back({name, PortLabel(name), name});
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    // Labels that repeat are numbered in order, so each names one handset.
    std::map<std::string, int> count;
    for (const CFleetPort& port : list.ports)
        ++count[port.label];
    std::map<std::string, int> next;
    for (CFleetPort& port : list.ports)
        if (count[port.label] > 1) {
            const int number = ++next[port.label];
            port.label += '-';
            port.label += std::to_string(number);
            port.shown = port.label;
        }
    return list;
}
