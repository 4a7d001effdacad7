#include "sim/directory_file_system.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <system_error>

#include "platform/pc_file.h"
#include "platform/pc_path.h"
#include "sim/device_time.h"

namespace fs = std::filesystem;

namespace sim {

namespace {

// Follows a symbolic link to its final target; std::nullopt when it leads nowhere.
std::optional<fs::path> FollowLink(const fs::path& link)
{
    std::error_code error;
    fs::path target = fs::canonical(link, error);
    if (error)
        return std::nullopt;
    return target;
}

}  // namespace

std::unique_ptr<CDirectoryFileSystem> CDirectoryFileSystem::Open(const fs::path& root)
{
    std::error_code error;
    fs::path canonical = fs::canonical(root, error);
    if (error || !fs::is_directory(canonical, error))
        return nullptr;
    auto fileSystem = std::unique_ptr<CDirectoryFileSystem>(new CDirectoryFileSystem(canonical));
    fileSystem->SetCapacity(64u * 1024 * 1024);
    return fileSystem;
}

CDirectoryFileSystem::CDirectoryFileSystem(fs::path canonicalRoot) : root(std::move(canonicalRoot)) {}

bool CDirectoryFileSystem::Inside(const fs::path& canonical) const
{
    const std::string rootText = Utf8Of(root);
    const std::string text = Utf8Of(canonical);
    if (text == rootText)
        return true;
    const std::string prefix = rootText.back() == '/' ? rootText : rootText + "/";
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::optional<CDirectoryFileSystem::Location> CDirectoryFileSystem::ResolveEntry(const DevicePath& path) const
{
    if (path.empty())
        return std::nullopt;
    return Resolve(path);
}

std::optional<CDirectoryFileSystem::Location> CDirectoryFileSystem::Resolve(const DevicePath& path) const
{
    // Walk segment by segment so that every symbolic link met on the way is checked, and a
    // link that points outside (or nowhere, where a write would follow it out) is refused.
    fs::path current = root;
    Location location{root, root};
    for (size_t i = 0; i < path.size(); ++i) {
        const fs::path next = current / PcPath(path[i]);
        std::error_code error;
        const fs::file_status status = fs::symlink_status(next, error);
        fs::path resolved = next;
        if (fs::is_symlink(status)) {
            auto target = FollowLink(next);
            if (!target || !Inside(*target))
                return std::nullopt;
            resolved = *target;
        }
        if (i + 1 == path.size())
            location = Location{next, resolved};
        current = resolved;
    }
    return location;
}

EfsStatusCode CDirectoryFileSystem::MakeDir(const DevicePath& path)
{
    if (path.empty())
        return efsStatusDirExists;
    auto location = Resolve(path);
    if (!location)
        return efsStatusIllegalOperation;
    std::error_code error;
    if (!fs::is_directory(location->entry.parent_path(), error))
        return efsStatusDirMissing;
    const fs::file_status status = fs::symlink_status(location->entry, error);
    if (fs::exists(status))
        return fs::is_directory(fs::status(location->followed, error)) ? efsStatusDirExists
                                                                       : efsStatusFileExists;
    if (!fs::create_directory(location->entry, error) || error)
        return efsStatusDeviceFailure;
    return efsStatusOk;
}

EfsStatusCode CDirectoryFileSystem::RemoveDir(const DevicePath& path)
{
    auto location = ResolveEntry(path);
    if (!location)
        return efsStatusIllegalOperation;
    std::error_code error;
    const fs::file_status status = fs::symlink_status(location->entry, error);
    if (fs::is_symlink(status))
        return efsStatusIllegalOperation;  // removing a link is not removing a directory
    if (!fs::is_directory(status))
        return efsStatusDirMissing;
    if (!fs::is_empty(location->entry, error) || error)
        return error ? efsStatusDeviceFailure : efsStatusDirNotEmpty;
    if (!fs::remove(location->entry, error) || error)
        return efsStatusDeviceFailure;
    return efsStatusOk;
}

EfsStatusCode CDirectoryFileSystem::RemoveFile(const DevicePath& path)
{
    auto location = ResolveEntry(path);
    if (!location)
        return efsStatusIllegalOperation;
    std::error_code error;
    const fs::file_status status = fs::symlink_status(location->entry, error);
    if (!fs::exists(status))
        return efsStatusFileMissing;
    if (fs::is_directory(status) || fs::is_directory(fs::status(location->followed, error)))
        return efsStatusIllegalOperation;
    // A link inside the tree is removed itself, never its target.
    if (!fs::remove(location->entry, error) || error)
        return efsStatusDeviceFailure;
    return efsStatusOk;
}

EfsStatusCode CDirectoryFileSystem::List(const DevicePath& directory, bool directories,
                                         std::vector<std::string>& names)
{
    names.clear();
    auto location = Resolve(directory);
    if (!location)
        return efsStatusIllegalOperation;
    std::error_code error;
    if (!fs::is_directory(location->followed, error))
        return efsStatusDirMissing;
    fs::directory_iterator it(location->followed, error);
    if (error)
        return efsStatusDeviceFailure;
    for (; it != fs::directory_iterator(); it.increment(error)) {
        if (error)
            return efsStatusDeviceFailure;
        fs::path entry = it->path();
        std::error_code entryError;
        fs::file_status status = fs::symlink_status(entry, entryError);
        if (fs::is_symlink(status)) {
            // Links that lead outside are not part of the handset's tree.
            auto target = FollowLink(entry);
            if (!target || !Inside(*target))
                continue;
            status = fs::status(*target, entryError);
        }
        // Only regular files and directories: a FIFO or device would hang or misbehave on read.
        if ((directories && fs::is_directory(status)) || (!directories && fs::is_regular_file(status)))
            names.push_back(Utf8Of(entry.filename()));
    }
    std::sort(names.begin(), names.end());
    return efsStatusOk;
}

EfsStatusCode CDirectoryFileSystem::Stat(const DevicePath& path, SimEntryInfo& info)
{
    auto location = Resolve(path);
    if (!location)
        return efsStatusIllegalOperation;
    std::error_code error;
    const fs::file_status status = fs::status(location->followed, error);
    if (error || (!fs::is_directory(status) && !fs::is_regular_file(status)))
        return efsStatusFileMissing;
    const auto modified = fs::last_write_time(location->followed, error);
    const uint64_t size = fs::is_directory(status) ? 0 : fs::file_size(location->followed, error);
    if (error)
        return efsStatusFileMissing;
    info.isDirectory = fs::is_directory(status);
    info.size = size;
    info.deviceTime = DeviceTimeFromPc(std::chrono::system_clock::to_time_t(
        std::chrono::file_clock::to_sys(modified)));
    info.attributes = EfsAttributeRecord{};
    return efsStatusOk;
}

EfsStatusCode CDirectoryFileSystem::ReadFile(const DevicePath& path, std::vector<uint8_t>& data)
{
    auto location = Resolve(path);
    if (!location || path.empty())
        return location ? efsStatusFileMissing : efsStatusIllegalOperation;
    // The reader refuses a FIFO or device at once: it must not stall the handset.
    auto file = CPcFileReader::Open(Utf8Of(location->followed));
    if (!file)
        return efsStatusFileMissing;
    if (file->Size() > UINT32_MAX)  // its length would not fit the reply
        return efsStatusDeviceFailure;
    data.assign(static_cast<size_t>(file->Size()), 0);
    if (file->Read(data) != data.size())
        return efsStatusDeviceFailure;
    return efsStatusOk;
}

EfsStatusCode CDirectoryFileSystem::WriteFile(const DevicePath& path, const std::vector<uint8_t>& data,
                                              const EfsAttributeRecord& /*attributes*/)
{
    auto location = ResolveEntry(path);
    if (!location)
        return efsStatusIllegalOperation;
    const fs::path target = location->followed;
    std::error_code error;
    if (!fs::is_directory(target.parent_path(), error))
        return efsStatusDirMissing;
    const fs::file_status status = fs::status(target, error);
    if (fs::exists(status) && !fs::is_regular_file(status))
        return efsStatusIllegalOperation;
    // Replaced in one rename, so a failed write never leaves a torn file; the handset's files
    // need not survive a power loss of the PC.
    if (!ReplacePcFile(Utf8Of(target), data, ReplaceDurability::atomicOnly))
        return efsStatusDeviceFailure;
    return efsStatusOk;
}

uint64_t CDirectoryFileSystem::UsedBytes()
{
    uint64_t sum = 0;
    std::error_code error;
    fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, error);
    for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        std::error_code entryError;
        if (it->is_regular_file(entryError) && !it->is_symlink(entryError))
            sum += AllocatedBytes(it->file_size(entryError));
    }
    return sum;
}

}  // namespace sim
