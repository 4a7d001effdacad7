// PC paths on POSIX: the file system takes UTF-8 bytes as they are, so text and paths are the
// same bytes both ways.
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
