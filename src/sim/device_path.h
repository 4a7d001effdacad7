// Device paths as the handset's file system sees them: "/"-separated segments, where "a/b",
// "/a/b", "a/b/" and "a//b" all name the same entry and the empty path is the root.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

using DevicePath = std::vector<std::string>;  // segments from the root; empty = the root

// Splits text into segments, dropping empty ones. Segments "." and ".." are refused
// (std::nullopt): a device path never climbs, so it can never leave the served tree.
std::optional<DevicePath> ParseDevicePath(std::string_view text);

// "/a/b" for {"a", "b"}; "/" for the root.
std::string DevicePathText(const DevicePath& path);

// The path of the entry named name inside directory, with its leading "/" ("/chess/chess.mod").
std::string DeviceChildText(const DevicePath& directory, const std::string& name);

}  // namespace sim
