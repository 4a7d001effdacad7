#include "sim/device_path.h"

namespace sim {

std::optional<DevicePath> ParseDevicePath(std::string_view text)
{
    DevicePath path;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('/', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view segment = text.substr(start, end - start);
        if (segment == "." || segment == "..")
            return std::nullopt;
        if (!segment.empty())
            path.emplace_back(segment);
        start = end + 1;
    }
    return path;
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
