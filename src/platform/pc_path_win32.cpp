// PC paths on Windows: the file system's names are UTF-16, and the narrow conversions use the
// ANSI code page, which cannot hold every name, so paths cross through the wide form.
#include "platform/pc_path.h"

#include "platform/wide_text.h"

std::filesystem::path PcPath(std::string_view utf8)
{
    return std::filesystem::path(WideFromUtf8(utf8));
}

bool IsPcPathSeparator(char c)
{
    return c == '/' || c == '\\';
}

std::string Utf8Of(const std::filesystem::path& path)
{
    return Utf8FromWide(path.native());
}
