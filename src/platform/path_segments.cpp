#include "platform/path_segments.h"

std::optional<std::vector<std::string>> SplitPathSegments(std::string_view text)
{
    std::vector<std::string> segments;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('/', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view segment = text.substr(start, end - start);
        if (segment == "." || segment == "..")
            return std::nullopt;
        if (!segment.empty())
            segments.emplace_back(segment);
        start = end + 1;
    }
    return segments;
}
