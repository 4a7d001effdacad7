// Each handset gets a port name of its own ("RIG1", "RIG2", ...), served by a virtual port
// provider that hands the line's client end to the first opener. An in-process line has one
// client end, so a handset's port opens once; a test that reopens it starts a new handset.
#include "support/rig_handset.h"

#include <atomic>
#include <map>
#include <mutex>

#include "platform/virtual_ports.h"

namespace rig {
namespace {

std::mutex unopenedLock;
std::map<std::string, std::unique_ptr<CLine>> unopened;  // client ends no link has taken yet

std::optional<VirtualPortLease> TakeRigLine(const std::string& name)
{
    std::lock_guard<std::mutex> hold(unopenedLock);
    const auto found = unopened.find(name);
    if (found == unopened.end() || !found->second)
        return std::nullopt;
    VirtualPortLease lease;
    lease.devicePath = name;
    lease.line = std::move(found->second);
    unopened.erase(found);
    return lease;
}

}  // namespace

std::unique_ptr<sim::CHandsetHost> StartRigHandset(std::unique_ptr<sim::CHandsetModel> model,
                                                   std::string* error)
{
    static std::once_flag registered;
    std::call_once(registered, [] { RegisterVirtualPortProvider(TakeRigLine); });
    static std::atomic<unsigned> serial{0};
    const std::string name = "RIG" + std::to_string(++serial);
    std::unique_ptr<CLine> client;
    auto host = sim::CHandsetHost::StartInProcess(std::move(model), name, client);
    if (!host) {
        if (error != nullptr)
            *error = "the in-process handset did not start";
        return nullptr;
    }
    std::lock_guard<std::mutex> hold(unopenedLock);
    unopened[name] = std::move(client);
    return host;
}

}  // namespace rig
