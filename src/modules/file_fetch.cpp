#include "modules/file_fetch.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "report/reporter.h"
#include "efs/efs_operations.h"
#include "efs/efs_paths.h"
#include "modules/transfer_progress.h"
#include "platform/file_io.h"

namespace {

constexpr AppMessage msgFetchDeclined = 4;
constexpr AppMessage msgCannotReadDeviceFile = 36;
constexpr AppMessage msgCannotCreatePcFile = 41;
constexpr AppMessage msgCannotWritePcFile = 43;

std::string TrimSpaces(const std::string& text)
{
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Mode for the new file: the replaced file's permissions, or what the umask allows.
mode_t NewFileMode(const struct stat* existing)
{
    if (existing != nullptr)
        return existing->st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Writes data to a temporary file in the destination's directory and renames it over the
// destination, so an existing file is replaced whole or not at all.
AppMessage StoreFile(const std::string& destination, const std::vector<uint8_t>& data,
                     const struct stat* existing)
{
    const size_t slash = destination.find_last_of('/');
    const std::string directory = slash == std::string::npos ? "." : destination.substr(0, slash + 1);
    std::string temporary = directory + ".vantferrant-XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return msgCannotCreatePcFile;
    const bool written = WriteAllBytes(fd, data.data(), data.size()) && ::fchmod(fd, NewFileMode(existing)) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temporary.c_str(), destination.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return msgCannotWritePcFile;
    }
    return msgSuccess;
}

}  // namespace

AppMessage FetchFile(CDiagPort* port, const std::string& deviceName, std::string& pcPath)
{
    if (port == nullptr)
        return msgInvalidPortHandle;
    const std::string name = TrimSpaces(deviceName);
    if (name.empty())
        return msgNullArgument;

    if (pcPath.empty())
        pcPath = "./";
    if (pcPath.back() != '/')
        pcPath += '/';

    std::string devicePath = name;
    if (name.front() == '/')
        devicePath = DeviceRootPath + name;
    else if (name.find(DeviceRootPath) == std::string::npos)
        devicePath = DeviceRootPath + "/" + name;

    const size_t slash = devicePath.find_last_of('/');
    const std::string fileName = slash == std::string::npos ? devicePath : devicePath.substr(slash + 1);
    pcPath += fileName;

    uint32_t size = 0;
    const auto contents = EfsReadFile(port, devicePath, &size, [&](uint64_t done, uint64_t total) {
        ReportTransferProgress(fileName, done, total);
    });
    if (!contents || contents->empty())
        return msgCannotReadDeviceFile;

    struct stat existing {};
    const bool exists = ::lstat(pcPath.c_str(), &existing) == 0;
    if (exists) {
        const std::string question =
            "Warning - Would you like to replace the existing file " + pcPath +
            " on PC hard disk with this one";
        if (!AskYesNo(question + " (y/n)?[y] ", question + "?"))
            return msgFetchDeclined;
        if (S_ISDIR(existing.st_mode))
            return msgCannotCreatePcFile;
    }
    return StoreFile(pcPath, *contents, exists && S_ISREG(existing.st_mode) ? &existing : nullptr);
}
