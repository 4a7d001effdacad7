// PC files on POSIX: opened without blocking so a FIFO or device never hangs the program, used
// only when regular, and replaced by an fsync'ed temporary file renamed over the old one.
#include "platform/pc_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>
#include <utility>

#include "platform/file_io.h"

namespace {

std::string DirectoryOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a write to path lands in: symbolic links at its end are followed, so the link's
// target is replaced and the link itself stays. A dangling link names the file it would create.
std::string WriteTarget(const std::string& path)
{
    std::string target = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return target;
        std::string link(PATH_MAX, '\0');
        const ssize_t length = ::readlink(target.c_str(), link.data(), link.size());
        if (length <= 0 || static_cast<size_t>(length) >= link.size())
            return target;
        link.resize(static_cast<size_t>(length));
        target = link.front() == '/' ? link : DirectoryOf(target) + "/" + link;
    }
    return target;
}

mode_t ModeFor(const std::string& target)
{
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode))
        return existing.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool SyncDirectory(const std::string& directory)
{
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    return ::close(fd) == 0 && synced;
}

}  // namespace

CPcFileReader::~CPcFileReader()
{
    if (fd >= 0)
        ::close(fd);
}

std::optional<CPcFileReader> CPcFileReader::OpenOnDisk(const std::string& path)
{
    // O_NONBLOCK: opening a FIFO with no writer would otherwise wait for one forever.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return std::nullopt;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return std::nullopt;
    }
    return CPcFileReader(fd, static_cast<uint64_t>(info.st_size));
}

PcEntryKind PcEntryAt(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return PcEntryKind::none;
    if (S_ISREG(info.st_mode))
        return PcEntryKind::regularFile;
    return S_ISDIR(info.st_mode) ? PcEntryKind::directory : PcEntryKind::other;
}

bool IsPcLink(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

CFileReplacement::~CFileReplacement()
{
    if (fd >= 0)
        ::close(fd);
    if (!temporary.empty())
        ::unlink(temporary.c_str());
}

std::optional<CFileReplacement> CFileReplacement::Begin(const std::string& destination)
{
    std::string target = WriteTarget(destination);
    // An unnamed file, named at Commit through /proc; a hidden named one where either is missing.
    if (::access("/proc/self/fd", X_OK) == 0) {
        const int fd = ::open(DirectoryOf(target).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        if (fd >= 0)
            return CFileReplacement(fd, {}, std::move(target));
    }
    std::string temporary = DirectoryOf(target) + "/.vantferrant-XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    return CFileReplacement(fd, std::move(temporary), std::move(target));
}

// Links the unnamed file into the destination's folder under a fresh hidden name.
bool CFileReplacement::Name()
{
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    const std::string stem = DirectoryOf(target) + "/.vantferrant-" + std::to_string(::getpid()) + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = stem + std::to_string(attempt);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            temporary = std::move(name);
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

bool CFileReplacement::Commit(ReplaceDurability durability)
{
    if (fd < 0)
        return false;
    const bool durable = durability == ReplaceDurability::durable;
    const bool synced = ::fchmod(fd, ModeFor(target)) == 0 && (!durable || ::fsync(fd) == 0);
    const bool named = synced && (!temporary.empty() || Name());
    const bool closed = ::close(std::exchange(fd, -1)) == 0;
    if (!named || !closed || ::rename(temporary.c_str(), target.c_str()) != 0)
        return false;
    temporary.clear();
    // The rename is durable only once the folder holding both names is on the disk.
    return !durable || SyncDirectory(DirectoryOf(target));
}
