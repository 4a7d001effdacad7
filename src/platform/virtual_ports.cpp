#include "platform/virtual_ports.h"

#include <mutex>
#include <utility>
#include <vector>

namespace {

std::mutex providersMutex;
std::vector<VirtualPortProvider>& Providers()
{
    static std::vector<VirtualPortProvider> providers;
    return providers;
}

}  // namespace

void RegisterVirtualPortProvider(VirtualPortProvider provider)
{
    std::lock_guard lock(providersMutex);
    Providers().push_back(std::move(provider));
}

std::optional<VirtualPortLease> AcquireVirtualPort(const std::string& name)
{
    std::vector<VirtualPortProvider> providers;
    {
        std::lock_guard lock(providersMutex);
        providers = Providers();
    }
    for (const auto& provider : providers)
        if (auto lease = provider(name))
            return lease;
    return std::nullopt;
}
