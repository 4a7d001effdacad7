#include "modules/module_load.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "report/reporter.h"
#include "efs/efs_operations.h"
#include "efs/efs_paths.h"
#include "efs/efs_tree.h"
#include "efs/pc_sizes.h"
#include "modules/module_name.h"
#include "modules/pc_search.h"
#include "modules/transfer_progress.h"
#include "platform/file_io.h"

namespace fs = std::filesystem;

namespace {

constexpr AppMessage msgLoadStopped = 3;
constexpr AppMessage msgEfsFull = 26;
constexpr AppMessage msgNoRoomForModule = 27;
constexpr AppMessage msgNoRoomForDirectory = 28;
constexpr AppMessage msgNoRoomForFiles = 29;
constexpr AppMessage msgInvalidModuleName = 33;
constexpr AppMessage msgCannotReadEfs = 37;
constexpr AppMessage msgCannotOpenPcFile = 41;
constexpr AppMessage msgCannotReadPcFile = 42;
constexpr AppMessage msgNoMif = 44;
constexpr AppMessage msgManyMif = 45;
constexpr AppMessage msgManyMod = 47;
constexpr AppMessage msgManySig = 49;
constexpr AppMessage msgModSigNamesDiffer = 50;
constexpr AppMessage msgDownloadFailed = 60;
constexpr AppMessage msgCannotCopyFile = 61;
constexpr AppMessage msgCannotCopyMif = 62;
constexpr AppMessage msgMifExists = 63;
constexpr AppMessage msgCannotCopyModule = 65;
constexpr AppMessage msgPendingFailed = 66;
constexpr AppMessage msgPendingLoaded = 67;
constexpr AppMessage msgModuleLoaded = 1;

// Files of 4 GiB or more cannot be described by the handset's 32-bit sizes.
constexpr uint64_t maxDeviceFileSize = 0xFFFFFFFFull;

bool EqualIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

uint32_t FreeSpaceOrZero(CDiagPort* port)
{
    uint32_t free = 0;
    if (!EfsGetFreeSpace(port, &free))
        free = 0;
    return free;
}

// Reads the whole regular file at path. Reports 41 or 42 and returns false on failure.
bool ReadPcFile(const std::string& path, std::vector<uint8_t>& data, bool checkSpace,
                CDiagPort* port)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        if (fd >= 0)
            ::close(fd);
        ReportAppMessage(msgCannotOpenPcFile);
        return false;
    }
    const auto size = static_cast<uint64_t>(info.st_size);
    if (size > maxDeviceFileSize) {
        ::close(fd);
        ReportAppMessage(msgNoRoomForFiles);
        return false;
    }
    if (checkSpace) {
        const uint32_t free = FreeSpaceOrZero(port);
        const AppMessage refusal = free == 0                        ? msgEfsFull
                                   : EfsAllocatedSize(size) > free ? msgNoRoomForFiles
                                                                    : msgSuccess;
        if (refusal != msgSuccess) {
            ::close(fd);
            ReportAppMessage(refusal);
            return false;
        }
    }
    data.resize(static_cast<size_t>(size));
    const size_t done = ReadAllBytes(fd, data.data(), data.size());
    ::close(fd);
    if (done != data.size()) {
        data.clear();
        ReportAppMessage(msgCannotReadPcFile);
        return false;
    }
    return true;
}

// Entries of a PC directory in name order: subdirectories (symbolic links to directories are
// not followed) and regular files. Anything else, such as a pipe, is never opened.
struct PcEntry {
    std::string name;
    bool isDirectory;
};

std::vector<PcEntry> ListPcDirectory(const std::string& dir)
{
    std::vector<PcEntry> entries;
    std::error_code error;
    fs::directory_iterator it(dir, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        std::error_code statusError;
        const auto status = it->symlink_status(statusError);
        const std::string name = it->path().filename().string();
        if (fs::is_directory(status))
            entries.push_back({name, true});
        else if (it->is_regular_file(statusError))
            entries.push_back({name, false});
    }
    std::sort(entries.begin(), entries.end(),
              [](const PcEntry& a, const PcEntry& b) { return a.name < b.name; });
    return entries;
}

// The module directory rules, checked before anything is copied.
AppMessage CheckModuleDirectory(const std::string& dir, const std::string& moduleName,
                                std::string& mifName)
{
    const std::string wanted = moduleName + ".mif";
    const auto mifs = FindPcFiles(dir, "*.mif");
    const auto found = std::find_if(mifs.begin(), mifs.end(),
                                    [&](const std::string& n) { return EqualIgnoringCase(n, wanted); });
    if (found == mifs.end())
        return msgNoMif;
    if (mifs.size() != 1)
        return msgManyMif;
    mifName = *found;

    bool missing = false;
    const auto mods = FindPcFiles(dir, "*.mod");
    if (mods.size() > 1)
        return msgManyMod;
    const auto sigs = FindPcFiles(dir, "*.sig");
    if (sigs.size() > 1)
        return msgManySig;
    missing = mods.empty() || sigs.empty();
    if (!mods.empty() && !sigs.empty() &&
        CutAtExtension(mods.front(), ".mod") != CutAtExtension(sigs.front(), ".sig"))
        return msgModSigNamesDiffer;
    missing = missing || FindPcFiles(dir, "*.bar").empty();

    if (missing) {
        const std::string warning =
            "Warning - Either of .mod file, .sig file and .bar file is/ are not present\n"
            "in local directory " + dir + ".\n\nDo you still want to continue";
        if (!AskYesNo(warning + " (y/n)?[y] ", warning + "?"))
            return msgLoadStopped;
    }
    return msgSuccess;
}

// Whether the device root already holds a file of this path, in any letter case.
AppMessage CheckNoMifOnDevice(CDiagPort* port, const std::string& mifDevicePath)
{
    EfsNameList names;
    if (!EfsListFiles(port, DeviceRootPath, &names))
        return msgCannotReadEfs;
    for (const auto& name : names)
        if (EqualIgnoringCase(AbsoluteDevicePath(name), mifDevicePath))
            return msgMifExists;
    return msgSuccess;
}

}  // namespace

bool CopyFileToDevice(CDiagPort* port, const std::string& pcFile, const std::string& deviceFile)
{
    if (port == nullptr) {
        ReportAppMessage(msgInvalidPortHandle);
        return false;
    }
    if (pcFile.empty() || deviceFile.empty()) {
        ReportAppMessage(msgNullArgument);
        return false;
    }
    std::vector<uint8_t> data;
    if (!ReadPcFile(pcFile, data, EfsStatsAvailable, port))
        return false;

    const std::string shownName = fs::path(pcFile).filename().string();
    const auto progress = [&](uint64_t done, uint64_t total) {
        ReportTransferProgress(shownName, done, total);
    };
    if (!EfsWriteFile(port, deviceFile, efsDefaultWriteMode, efsDefaultFileAttributes, data.data(),
                      data.size(), progress)) {
        ReportPathMessage(msgCannotCopyFile, std::string("/").append(StripDeviceRoot(deviceFile)));
        return false;
    }
    if (EfsStatsAvailable && DeviceFileSize(port, deviceFile) != data.size()) {
        ReportAppMessage(msgDownloadFailed);
        return false;
    }
    return true;
}

bool CopyDirectoryToDevice(CDiagPort* port, const std::string& pcDir, const std::string& deviceDir,
                           const std::string& skipFile, bool* createdDir)
{
    if (createdDir != nullptr)
        *createdDir = false;
    if (port == nullptr) {
        ReportAppMessage(msgInvalidPortHandle);
        return false;
    }
    if (EfsStatsAvailable) {
        const uint32_t free = FreeSpaceOrZero(port);
        if (free == 0) {
            ReportAppMessage(msgEfsFull);
            return false;
        }
        uint64_t needed = PcTreeAllocatedSize(pcDir);
        if (!skipFile.empty())
            needed -= std::min(needed, EfsAllocatedSize(PcFileSize(skipFile)));
        if (needed > free) {
            ReportAppMessage(msgNoRoomForDirectory);
            return false;
        }
    }
    if (!EfsMakeDir(port, deviceDir))
        return false;
    if (createdDir != nullptr)
        *createdDir = true;

    for (const auto& entry : ListPcDirectory(pcDir)) {
        const std::string pcPath = JoinPcPath(pcDir, entry.name);
        const std::string devicePath = JoinDevicePath(deviceDir, entry.name);
        if (entry.isDirectory) {
            if (!CopyDirectoryToDevice(port, pcPath, devicePath))
                return false;
        } else if (skipFile.empty() || !EqualIgnoringCase(pcPath, skipFile)) {
            if (!CopyFileToDevice(port, pcPath, devicePath))
                return false;
        }
    }
    return true;
}

AppMessage LoadModule(CDiagPort* port, const std::string& dir, const std::string& moduleName)
{
    if (port == nullptr)
        return msgInvalidPortHandle;
    if (dir.empty() || moduleName.empty())
        return msgNullArgument;
    std::string name = moduleName;
    if (!ParseModuleName(name))
        return msgInvalidModuleName;

    std::string mifName;
    if (const AppMessage refusal = CheckModuleDirectory(dir, name, mifName); refusal != msgSuccess)
        return refusal;

    const std::string mifDevicePath = DeviceRootPath + "/" + mifName;
    if (const AppMessage refusal = CheckNoMifOnDevice(port, mifDevicePath); refusal != msgSuccess)
        return refusal;
    if (EfsStatsAvailable && PcTreeAllocatedSize(dir) > FreeSpaceOrZero(port))
        return msgNoRoomForModule;

    const std::string mifPcPath = JoinPcPath(dir, mifName);
    if (!CopyFileToDevice(port, mifPcPath, mifDevicePath)) {
        // A partly written information file would make every retry fail as "already exists".
        ReportEnabled = false;
        EfsRemoveFile(port, mifDevicePath);
        ReportEnabled = true;
        return msgCannotCopyMif;
    }

    const std::string moduleDir = DeviceRootPath + "/" + name;
    bool createdDir = false;
    if (CopyDirectoryToDevice(port, dir, moduleDir, mifPcPath, &createdDir))
        return msgModuleLoaded;

    // Roll back silently, removing only what this load wrote: a module directory that was
    // already on the device stays.
    ReportEnabled = false;
    EfsRemoveFile(port, mifDevicePath);
    if (createdDir)
        RemoveDeviceTree(port, moduleDir);
    ReportEnabled = true;
    return msgCannotCopyModule;
}

AppMessage LoadPendingFile(CDiagPort* port, const std::string& pcFile)
{
    if (port == nullptr)
        return msgInvalidPortHandle;
    if (pcFile.empty())
        return msgNullArgument;
    return CopyFileToDevice(port, pcFile, DeviceRootPath + "/pending") ? msgPendingLoaded
                                                                       : msgPendingFailed;
}
