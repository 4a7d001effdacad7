#include "modules/module_name.h"

#include "efs/device_names.h"

bool ParseModuleName(std::string& name)
{
    const size_t first = name.find_first_not_of(' ');
    if (first == std::string::npos) {
        name.clear();
        return false;
    }
    name = name.substr(first, name.find_last_not_of(' ') - first + 1);
    if (!name.empty() && name.front() == '/')
        name.erase(0, 1);
    if (!name.empty() && name.back() == '/')
        name.pop_back();
    // "." and ".." would make the module directory the root or its parent.
    return !name.empty() && name.find('/') == std::string::npos && name != "." && name != "..";
}

bool NamesMifFile(const std::string& name)
{
    return ModulePathOfMif(name).size() != name.size();
}

std::string ModulePathOfMif(const std::string& mifName)
{
    return CutAtExtension(mifName, ".mif");
}

std::string CutAtExtension(const std::string& name, const std::string& extension)
{
    const size_t at = LowerAscii(name).find(LowerAscii(extension));
    return at == std::string::npos ? name : name.substr(0, at);
}

bool HasExtension(const std::string& name, const std::string& extension)
{
    return name.size() >= extension.size() &&
           EqualIgnoringCase(name.substr(name.size() - extension.size()), extension);
}
