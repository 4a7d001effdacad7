#include "platform/pc_path.h"

std::filesystem::path PcPath(std::string_view utf8)
{
    return std::filesystem::path(std::string(utf8));
}

std::string Utf8Of(const std::filesystem::path& path)
{
    return path.native();
}

bool IsPcPathSeparator(char c)
{
    return c == '/';
}
