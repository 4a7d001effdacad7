// Command-line options of vant-handset.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/sim_behaviour.h"

namespace sim {

struct HandsetOptions {
    std::string root;  // empty: the demo tree
    std::optional<uint64_t> capacity;
    SimBehaviour behaviour;
    bool help = false;
};

// Parses args (without the program name). On a bad argument returns std::nullopt and sets error.
std::optional<HandsetOptions> ParseHandsetOptions(const std::vector<std::string>& args, std::string& error);

std::string HandsetUsage();

}  // namespace sim
