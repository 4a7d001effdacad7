#include "sim/sim_port.h"

#include <cctype>

#include "platform/debug_sink.h"
#include "platform/pc_path.h"
#include "platform/virtual_ports.h"
#include "sim/demo_tree.h"
#include "sim/directory_file_system.h"
#include "sim/handset_host.h"

namespace {

bool StartsWithSim(const std::string& name)
{
    return name.size() >= 3 && std::toupper(static_cast<unsigned char>(name[0])) == 'S' &&
           std::toupper(static_cast<unsigned char>(name[1])) == 'I' &&
           std::toupper(static_cast<unsigned char>(name[2])) == 'M';
}

}  // namespace

std::optional<VirtualPortLease> StartVirtualHandset(const std::string& portName)
{
    if (!StartsWithSim(portName))
        return std::nullopt;
    std::unique_ptr<sim::CSimFileSystem> fileSystem;
    if (portName.size() == 3) {
        fileSystem = sim::MakeDemoFileSystem();
    } else if (portName[3] == ':' && portName.size() > 4) {
        fileSystem = sim::CDirectoryFileSystem::Open(PcPath(portName.substr(4)));
        if (!fileSystem) {
            DebugOutput("Virtual handset: not a directory: " + portName.substr(4) + "\n");
            return std::nullopt;
        }
    } else {
        return std::nullopt;
    }
    VirtualPortLease lease;
    lease.devicePath = portName;
    auto host = sim::CHandsetHost::StartInProcess(
        std::make_unique<sim::CHandsetModel>(std::move(fileSystem)), portName, lease.line);
    if (!host)
        return std::nullopt;
    lease.keepAlive = std::shared_ptr<sim::CHandsetHost>(std::move(host));
    return lease;
}

void InstallVirtualHandsetPorts()
{
    RegisterVirtualPortProvider(StartVirtualHandset);
}
