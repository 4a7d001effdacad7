#include "sim/device_path.h"

#include "platform/path_segments.h"

namespace sim {

std::optional<DevicePath> ParseDevicePath(std::string_view text)
{
    return SplitPathSegments(text);
}

std::string DevicePathText(const DevicePath& path)
{
    if (path.empty())
        return "/";
    std::string text;
    for (const auto& segment : path)
        text += "/" + segment;
    return text;
}

std::string DeviceChildText(const DevicePath& directory, const std::string& name)
{
    std::string text;
    for (const auto& segment : directory)
        text += "/" + segment;
    return text + "/" + name;
}

}  // namespace sim
