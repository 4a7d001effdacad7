// The serial ports present on Linux, read from the file system alone: opening a terminal can
// raise its modem lines or block on a FIFO, so listing never opens one.
#include "platform/present_ports.h"

#include <fstream>
#include <set>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> SortedEntries(const fs::path& directory)
{
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(directory, error), end; !error && it != end;
         it.increment(error))
        names.push_back(it->path().filename().string());
    SortPortsNaturally(names);
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

std::vector<std::string> ListPresentSerialPorts(const CPresentPortSources& sources)
{
    std::vector<std::string> ports;
    std::set<std::string> reached;  // terminal names that a by-id link leads to
    for (const std::string& name : SortedEntries(sources.byId)) {
        const fs::path link = sources.byId / name;
        std::error_code error;
        const fs::path target = fs::read_symlink(link, error);
        if (!error)
            reached.insert(target.filename().string());
        ports.push_back(link.string());
    }
    for (const std::string& name : SortedEntries(sources.sysClassTty)) {
        if (reached.count(name) == 0 && HasHardware(sources.sysClassTty / name))
            ports.push_back((sources.dev / name).string());
    }
    return ports;
}
