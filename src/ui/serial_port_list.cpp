#include "ui/serial_port_list.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <set>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Orders "ttyS2" before "ttyS10": names compare by their text, then by their trailing number.
bool NaturalLess(const std::string& a, const std::string& b)
{
    auto split = [](const std::string& name) {
        std::size_t digits = name.size();
        while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1])))
            --digits;
        return std::pair(name.substr(0, digits), name.substr(digits));
    };
    const auto [stemA, numberA] = split(a);
    const auto [stemB, numberB] = split(b);
    if (stemA != stemB)
        return stemA < stemB;
    if (numberA.size() != numberB.size())
        return numberA.size() < numberB.size();
    return numberA < numberB;
}

std::vector<std::string> SortedEntries(const fs::path& directory)
{
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(directory, error), end; !error && it != end;
         it.increment(error))
        names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end(), NaturalLess);
    return names;
}

// A serial-core port reports its UART type; 0 means no UART answers at that address.
bool HasHardware(const fs::path& ttyEntry)
{
    std::error_code error;
    if (!fs::exists(ttyEntry / "device", error))
        return false;  // virtual terminals, consoles, pty multiplexer
    std::ifstream typeFile(ttyEntry / "type");
    int type = -1;
    if (typeFile >> type)
        return type != 0;
    return true;
}

}  // namespace

std::vector<std::string> ListPresentSerialPorts(const CSerialPortDirectories& directories)
{
    std::vector<std::string> ports;
    std::set<std::string> reached;  // terminal names that a by-id link leads to
    for (const std::string& name : SortedEntries(directories.byId)) {
        const fs::path link = directories.byId / name;
        std::error_code error;
        const fs::path target = fs::read_symlink(link, error);
        if (!error)
            reached.insert(target.filename().string());
        ports.push_back(link.string());
    }
    for (const std::string& name : SortedEntries(directories.sysClassTty)) {
        if (reached.count(name) == 0 && HasHardware(directories.sysClassTty / name))
            ports.push_back((directories.dev / name).string());
    }
    return ports;
}

std::vector<std::string> PortDialogChoices(const CSerialPortDirectories& directories)
{
    std::vector<std::string> choices = {"", "COM1", "COM2", "COM3", "COM4",
                                        virtualHandsetPortName};
    for (std::string& port : ListPresentSerialPorts(directories)) {
        if (std::find(choices.begin(), choices.end(), port) == choices.end())
            choices.push_back(std::move(port));
    }
    return choices;
}
