// Device path conventions shared by every EFS user: the root prefix, the cut of listed names
// down to their path below the root, joining, and which listed names may be used at all.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Prefix of every absolute device path (DeviceRootPath + "/" + relative path). Empty: the same
// for every handset, so sessions on several threads share it without a lock.
extern const std::string DeviceRootPath;

// Number of "/"-separated segments of DeviceRootPath; the empty root counts as one.
size_t CountRootSegments();

// The name with its first CountRootSegments() segments cut off: that many times, everything up
// to and including the next "/" goes. A name without "/" comes back unchanged.
std::string StripDeviceRoot(std::string_view name);

// directory + "/" + name with every run of "/" collapsed to one; the handset treats "a//b" and
// "a/b" alike, and collapsing keeps joined paths short and comparable.
std::string JoinDevicePath(std::string_view directory, std::string_view name);

// Absolute device path of a listed entry: DeviceRootPath + "/" + StripDeviceRoot(name).
std::string AbsoluteDevicePath(std::string_view entryName);

// Directory part of a device path (before its last "/"); DeviceRootPath for a path without "/".
std::string DeviceParentDirectory(std::string_view path);

// Whether a name a listing returned may be stored. Empty names, names made only of "/" (the root
// itself) and names with a "." or ".." segment are refused: used as paths they would point at the
// listed directory, its parent or the root, and a tree removal would then wipe those.
bool IsUsableEntryName(std::string_view name);
