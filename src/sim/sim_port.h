// The port names served by the virtual handset: "SIM" (the demo tree) and "SIM:DIR" (the PC
// directory DIR as the handset's file system). Call once at start-up.
#pragma once

#include <memory>
#include <string>

namespace sim {
class CHandsetHost;
}

// Registers the provider for "SIM" and "SIM:DIR" with the virtual port registry.
void InstallVirtualHandsetPorts();

// Starts a handset for a "SIM" or "SIM:DIR" name (the prefix in any letter case); nullptr for
// any other name, or when DIR is not a directory or no pty is available.
std::shared_ptr<sim::CHandsetHost> StartVirtualHandset(const std::string& portName);
