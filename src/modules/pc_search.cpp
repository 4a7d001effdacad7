#include "modules/pc_search.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/pc_path.h"
#include "platform/wildcard.h"

namespace fs = std::filesystem;

std::vector<std::string> FindPcFiles(const std::string& dir, const std::string& pattern,
                                     bool withFolders)
{
    std::vector<std::string> names;
    std::error_code error;
    fs::directory_iterator it(PcPath(dir), error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError) && !(withFolders && it->is_directory(typeError)))
            continue;
        const std::string name = Utf8Of(it->path().filename());
        if (WildcardMatch(pattern, name))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string JoinPcPath(const std::string& dir, const std::string& name)
{
    if (dir.empty())
        return name;
    return dir.back() == '/' ? dir + name : dir + "/" + name;
}

MifCount CountMifFiles(const std::string& dir, std::string* singleName)
{
    const auto names = FindPcFiles(dir, "*.mif", true);
    if (names.empty())
        return mifCountNone;
    if (names.size() > 1)
        return mifCountMany;
    if (singleName != nullptr)
        *singleName = names.front();
    return mifCountOne;
}
