#include "modules/module_name.h"

#include "modules/pc_search.h"

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
