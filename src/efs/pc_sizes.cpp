#include "efs/pc_sizes.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "platform/pc_file.h"
#include "platform/pc_path.h"
#include "platform/wildcard.h"

namespace fs = std::filesystem;

namespace {

constexpr uint64_t efsFileOverhead = 34;
constexpr uint64_t efsAllocationUnit = 240;

uint64_t RegularFileSize(const fs::path& path)
{
    std::error_code error;
    if (!fs::is_regular_file(path, error))
        return 0;
    const auto size = fs::file_size(path, error);
    return error ? 0 : static_cast<uint64_t>(size);
}

// First entry of directory, in name order, whose name matches pattern without regard to case.
std::optional<fs::path> FirstMatch(const fs::path& directory, const std::string& pattern)
{
    std::error_code error;
    fs::directory_iterator entries(directory.empty() ? fs::path(".") : directory, error);
    if (error)
        return std::nullopt;
    std::optional<fs::path> best;
    for (const auto& entry : entries) {
        const std::string name = Utf8Of(entry.path().filename());
        if (!WildcardMatch(pattern, name))
            continue;
        if (!best || entry.path().filename() < best->filename())
            best = entry.path();
    }
    return best;
}

}  // namespace

uint64_t EfsAllocatedSize(uint64_t size)
{
    const uint64_t withOverhead = size + efsFileOverhead;
    const uint64_t remainder = withOverhead % efsAllocationUnit;
    return remainder == 0 ? withOverhead : withOverhead + (efsAllocationUnit - remainder);
}

uint64_t PcFileSize(const std::string& path)
{
    if (path.empty())
        return 0;
    const fs::path asGiven = PcPath(path);
    std::error_code error;
    if (fs::exists(asGiven, error) || !HasWildcard(Utf8Of(asGiven.filename())))
        return RegularFileSize(asGiven);
    const auto match = FirstMatch(asGiven.parent_path(), Utf8Of(asGiven.filename()));
    return match ? RegularFileSize(*match) : 0;
}

uint64_t PcTreeAllocatedSize(const std::string& directory)
{
    std::error_code error;
    if (directory.empty() || !fs::is_directory(PcPath(directory), error))
        return 0;
    fs::recursive_directory_iterator walk(PcPath(directory), fs::directory_options::skip_permission_denied,
                                          error);
    if (error)
        return 0;
    uint64_t total = 0;
    for (; walk != fs::recursive_directory_iterator(); walk.increment(error)) {
        if (error)
            break;
        // The walk does not enter links to directories (nor junctions, which the library does
        // not see as links on Windows); a link to a file counts as that file.
        if (IsPcLink(Utf8Of(walk->path()))) {
            std::error_code typeError;
            if (walk->is_directory(typeError))
                walk.disable_recursion_pending();
        }
        if (walk->is_regular_file(error))
            total += EfsAllocatedSize(RegularFileSize(walk->path()));
    }
    return total;
}
