#include "efs/efs_paths.h"

#include <algorithm>

#include "platform/path_segments.h"

const std::string DeviceRootPath;

size_t CountRootSegments()
{
    return static_cast<size_t>(std::count(DeviceRootPath.begin(), DeviceRootPath.end(), '/')) + 1;
}

std::string StripDeviceRoot(std::string_view name)
{
    for (size_t segment = 0; segment < CountRootSegments(); ++segment) {
        const size_t slash = name.find('/');
        if (slash == std::string_view::npos)
            break;
        name.remove_prefix(slash + 1);
    }
    return std::string(name);
}

std::string JoinDevicePath(std::string_view directory, std::string_view name)
{
    std::string joined;
    joined.reserve(directory.size() + 1 + name.size());
    const auto append = [&joined](std::string_view part) {
        for (const char c : part) {
            if (c == '/' && !joined.empty() && joined.back() == '/')
                continue;
            joined.push_back(c);
        }
    };
    append(directory);
    append("/");
    append(name);
    return joined;
}

std::string AbsoluteDevicePath(std::string_view entryName)
{
    return JoinDevicePath(DeviceRootPath, StripDeviceRoot(entryName));
}

std::string DeviceParentDirectory(std::string_view path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return DeviceRootPath;
    return std::string(path.substr(0, slash));
}

bool IsUsableEntryName(std::string_view name)
{
    const auto segments = SplitPathSegments(name);
    return segments && !segments->empty();
}
