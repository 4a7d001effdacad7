#include "efs/device_names.h"

#include <algorithm>
#include <cctype>

#include "efs/efs_paths.h"

bool EqualIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && LowerAscii(a) == LowerAscii(b);
}

std::string LowerAscii(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string NormalDevicePath(const std::string& path)
{
    std::string normal = JoinDevicePath("", path);
    while (normal.size() > 1 && normal.back() == '/')
        normal.pop_back();
    return normal;
}

std::string ComparableDevicePath(const std::string& path)
{
    return LowerAscii(NormalDevicePath(path));
}
