// The port names served by the virtual handset: "SIM" (the demo tree) and "SIM:DIR" (the PC
// directory DIR as the handset's file system). Call once at start-up.
#pragma once

#include <optional>
#include <string>

#include "platform/virtual_ports.h"

// Registers the provider for "SIM" and "SIM:DIR" with the virtual port registry.
void InstallVirtualHandsetPorts();

// Starts a handset for a "SIM" or "SIM:DIR" name (the prefix in any letter case) on an
// in-process line, so it runs the same wherever the system has no pseudo-terminals. Nothing for
// any other name, or when DIR is not a directory. The lease's keepAlive is the handset.
std::optional<VirtualPortLease> StartVirtualHandset(const std::string& portName);
