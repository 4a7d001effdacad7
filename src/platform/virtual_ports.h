// Port names served inside this process (the virtual handset's "SIM" and "SIM:DIR"). A provider
// that recognises a name starts whatever serves it and hands back either the line itself (an
// in-process line) or the terminal to open, with an object that keeps the server alive for as
// long as the port stays open.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/line.h"

struct VirtualPortLease {
    std::string devicePath;           // terminal to open instead of the name, or the line's name
    std::unique_ptr<CLine> line;      // the line itself, when it lives in this process
    std::shared_ptr<void> keepAlive;  // released when the port closes
};

// Returns a lease for names it serves, std::nullopt for every other name.
using VirtualPortProvider = std::function<std::optional<VirtualPortLease>(const std::string& name)>;

// Providers are asked in the order of registration; register once at start-up.
void RegisterVirtualPortProvider(VirtualPortProvider provider);

// The first provider's lease for name, or std::nullopt when no provider serves it.
std::optional<VirtualPortLease> AcquireVirtualPort(const std::string& name);
