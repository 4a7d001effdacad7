#include "modules/module_load.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "report/reporter.h"
#include "report/reporting_off.h"
#include "efs/device_names.h"
#include "efs/efs_operations.h"
#include "efs/efs_paths.h"
#include "efs/efs_tree.h"
#include "efs/pc_sizes.h"
#include "modules/module_name.h"
#include "modules/pc_search.h"
#include "modules/transfer_progress.h"
#include "platform/pc_file.h"
#include "platform/pc_path.h"
#include "platform/stop_request.h"

namespace fs = std::filesystem;

namespace {

// Files of 4 GiB or more cannot be described by the handset's 32-bit sizes.
constexpr uint64_t maxDeviceFileSize = 0xFFFFFFFFull;

// The largest old pending file kept in memory while a new one replaces it.
constexpr uint32_t maxKeptPendingBytes = 16u * 1024 * 1024;

uint32_t FreeSpaceOrZero(CDiagPort* port)
{
    uint32_t free = 0;
    if (!EfsGetFreeSpace(port, &free))
        free = 0;
    return free;
}

// The whole device file, unless the read fails or it grows past what is kept in memory.
std::optional<std::vector<uint8_t>> ReadKeptFile(CDiagPort* port, const std::string& path)
{
    std::vector<uint8_t> contents;
    const auto keep = [&](std::span<const uint8_t> block) {
        if (block.size() > maxKeptPendingBytes - contents.size())
            return false;
        contents.insert(contents.end(), block.begin(), block.end());
        return true;
    };
    if (!EfsReadFileInto(port, path, keep))
        return std::nullopt;
    return contents;
}

// Reads the whole regular file at path. Reports msgCannotOpenPcFile, msgCannotReadPcFile or a
// space message and returns false on failure.
bool ReadPcFile(const std::string& path, std::vector<uint8_t>& data, bool checkSpace,
                CDiagPort* port)
{
    auto file = CPcFileReader::Open(path);
    if (!file) {
        ReportAppMessage(msgCannotOpenPcFile);
        return false;
    }
    const uint64_t size = file->Size();
    if (size > maxDeviceFileSize) {
        ReportAppMessage(msgNoRoomForFiles);
        return false;
    }
    if (checkSpace) {
        const uint32_t free = FreeSpaceOrZero(port);
        const AppMessage refusal = free == 0                        ? msgEfsFull
                                   : EfsAllocatedSize(size) > free ? msgNoRoomForFiles
                                                                    : msgSuccess;
        if (refusal != msgSuccess) {
            ReportAppMessage(refusal);
            return false;
        }
    }
    data.resize(static_cast<size_t>(size));
    if (file->Read(data) != data.size()) {
        data.clear();
        ReportAppMessage(msgCannotReadPcFile);
        return false;
    }
    return true;
}

// Entries of a PC directory in name order. Symbolic links to directories are not followed and
// are left out; anything that is neither a directory nor (through links) a regular file, such as
// a pipe, is listed as "other" and never opened.
enum class PcEntryType { file, directory, other };

struct PcEntry {
    std::string name;
    PcEntryType type;
};

// Nothing when the directory cannot be listed, or cannot be listed to its end.
std::optional<std::vector<PcEntry>> ListPcDirectory(const std::string& dir)
{
    std::vector<PcEntry> entries;
    std::error_code error;
    fs::directory_iterator it(PcPath(dir), error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        std::error_code statusError;
        const std::string name = Utf8Of(it->path().filename());
        // A linked folder is not entered, so it is left out (a link to a file is that file).
        const bool linked = IsPcLink(Utf8Of(it->path()));
        if (!linked && it->is_directory(statusError))
            entries.push_back({name, PcEntryType::directory});
        else if (it->is_regular_file(statusError))
            entries.push_back({name, PcEntryType::file});
        else if (!it->is_directory(statusError))
            entries.push_back({name, PcEntryType::other});
    }
    if (error)
        return std::nullopt;
    std::sort(entries.begin(), entries.end(),
              [](const PcEntry& a, const PcEntry& b) { return a.name < b.name; });
    return entries;
}

// Whether every folder of the tree can be listed and holds only folders and regular files, so
// a copy cannot fail half way on the PC side. Reports msgCannotOpenPcFile when not.
bool PcTreeIsCopyable(const std::string& dir)
{
    const auto entries = ListPcDirectory(dir);
    if (!entries) {
        ReportAppMessage(msgCannotOpenPcFile);
        return false;
    }
    for (const auto& entry : *entries) {
        if (entry.type == PcEntryType::other) {
            ReportAppMessage(msgCannotOpenPcFile);
            return false;
        }
        if (entry.type == PcEntryType::directory && !PcTreeIsCopyable(JoinPcPath(dir, entry.name)))
            return false;
    }
    return true;
}

// The module directory rules, checked before anything is copied.
AppMessage CheckModuleDirectory(const std::string& dir, const std::string& moduleName,
                                std::string& mifName)
{
    const std::string wanted = moduleName + ".mif";
    const auto mifFiles = FindPcFiles(dir, "*.mif");
    const auto found = std::find_if(mifFiles.begin(), mifFiles.end(),
                                    [&](const std::string& n) { return EqualIgnoringCase(n, wanted); });
    if (found == mifFiles.end())
        return msgNoMif;
    // A folder named like a .mif counts too: the wildcard search finds it as well.
    if (CountMifFiles(dir) != mifCountOne)
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

// A device path as a failure names it: from the root, with one leading "/". The window passes
// paths below the root without it ("sub/x"), which must keep their first folder.
std::string ShownDevicePath(const std::string& deviceFile)
{
    const bool rooted = deviceFile.starts_with(DeviceRootPath + "/");
    return "/" + (rooted ? StripDeviceRoot(deviceFile) : deviceFile);
}

}  // namespace

bool CopyFileToDevice(CDiagPort* port, const std::string& pcFile, const std::string& deviceFile,
                      bool* startedWriting)
{
    if (startedWriting != nullptr)
        *startedWriting = false;
    if (port == nullptr) {
        ReportAppMessage(msgInvalidPortHandle);
        return false;
    }
    if (pcFile.empty() || deviceFile.empty()) {
        ReportAppMessage(msgNullArgument);
        return false;
    }
    const CStoppableOperation copy;
    std::vector<uint8_t> data;
    if (!ReadPcFile(pcFile, data, EfsStatsAvailable, port) || StopDue())
        return false;

    // When the copy fails, a file it created or half overwrote is removed, so a handset that
    // stores blocks as they come keeps no half-written file; a file still as it was before (the
    // handset keeps the old one until the last block) stays, as does one the handset cannot tell.
    const EfsFileCheck before = EfsCheckFile(port, deviceFile);
    const auto removeIfChanged = [&] {
        if (before.state == EfsFileCheck::State::unknown)
            return;
        const CStopHold cleanUp;
        const EfsFileCheck after = EfsCheckFile(port, deviceFile);
        if (after.state == EfsFileCheck::State::present && after != before)
            EfsRemoveFile(port, deviceFile);  // reports nothing
    };
    const std::string shownName = Utf8Of(PcPath(pcFile).filename());
    const auto progress = [&](uint64_t done, uint64_t total) {
        ReportTransferProgress(shownName, done, total);
    };
    if (startedWriting != nullptr)
        *startedWriting = true;
    if (!EfsWriteFile(port, deviceFile, efsDefaultWriteMode, efsDefaultFileAttributes, data.data(),
                      data.size(), progress, &before)) {
        // A stopped copy is not a fault of the file: the caller reports the stop instead.
        const bool stopped = StopDue();
        removeIfChanged();
        if (!stopped)
            ReportPathMessage(msgCannotCopyFile, ShownDevicePath(deviceFile));
        return false;
    }
    if (EfsStatsAvailable && DeviceFileSize(port, deviceFile) != data.size()) {
        const bool stopped = StopDue();
        removeIfChanged();
        if (!stopped)
            ReportAppMessage(msgDownloadFailed);
        return false;
    }
    return true;
}

namespace {

// CopyDirectoryToDevice once the whole PC tree is known to be copyable. before: what is known of
// deviceDir before it is made; only a directory known to be absent is taken as made by this copy
// when a retried request finds it there.
bool CopyTree(CDiagPort* port, const std::string& pcDir, const std::string& deviceDir,
              const std::string& skipFile, EfsDirPresence before, bool* createdDir)
{
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
    if (!EfsMakeDir(port, deviceDir, before))
        return false;
    if (createdDir != nullptr)
        *createdDir = true;

    // The tree was checked, but a folder may have changed since: it then fails the copy.
    const auto entries = ListPcDirectory(pcDir);
    if (!entries) {
        ReportAppMessage(msgCannotOpenPcFile);
        return false;
    }
    for (const auto& entry : *entries) {
        if (StopDue())
            return false;
        const std::string pcPath = JoinPcPath(pcDir, entry.name);
        const std::string devicePath = JoinDevicePath(deviceDir, entry.name);
        if (entry.type == PcEntryType::directory) {
            // Nothing can be inside a directory this copy has just made.
            if (!CopyTree(port, pcPath, devicePath, {}, EfsDirPresence::absent, nullptr))
                return false;
        } else if (skipFile.empty() || !EqualIgnoringCase(pcPath, skipFile)) {
            // An entry that turned into a pipe since the check is refused by the open.
            if (!CopyFileToDevice(port, pcPath, devicePath))
                return false;
        }
    }
    return true;
}

}  // namespace

bool CopyDirectoryToDevice(CDiagPort* port, const std::string& pcDir, const std::string& deviceDir,
                           const std::string& skipFile, bool* createdDir)
{
    if (createdDir != nullptr)
        *createdDir = false;
    if (port == nullptr) {
        ReportAppMessage(msgInvalidPortHandle);
        return false;
    }
    const CStoppableOperation copy;
    if (!PcTreeIsCopyable(pcDir))
        return false;
    const EfsDirPresence before = DeviceDirPresence(port, deviceDir);
    return !StopDue() && CopyTree(port, pcDir, deviceDir, skipFile, before, createdDir);
}

CDirectoryRollback::CDirectoryRollback(CDiagPort* port, std::string directory)
    : port_(port), directory_(std::move(directory))
{
}

CDirectoryRollback::CDirectoryRollback(CDirectoryRollback&& other) noexcept
    : port_(std::exchange(other.port_, nullptr)), directory_(std::move(other.directory_))
{
}

CDirectoryRollback::~CDirectoryRollback()
{
    Run();
}

void CDirectoryRollback::Run()
{
    if (!Pending())
        return;
    // The stop that ended the copy must not cut short the removal of what it made, and the
    // removal's own failures are no news to a user who has just been told the copy failed.
    const CStopHold finish;
    const CReportingOff quiet;
    RemoveDeviceTree(std::exchange(port_, nullptr), directory_);
}

CDirectoryCopy CopyDirectoryUndoable(CDiagPort* port, const std::string& pcDir,
                                     const std::string& deviceDir, const std::string& skipFile)
{
    bool created = false;
    if (CopyDirectoryToDevice(port, pcDir, deviceDir, skipFile, &created))
        return {true, {}};
    return {false, created ? CDirectoryRollback(port, deviceDir) : CDirectoryRollback()};
}

AppMessage LoadModule(CDiagPort* port, const std::string& dir, const std::string& moduleName)
{
    if (port == nullptr)
        return msgInvalidPortHandle;
    if (dir.empty())
        return msgNullArgument;
    std::string name = moduleName;
    if (!ParseModuleName(name))
        return msgInvalidModuleName;

    std::string mifName;
    if (const AppMessage refusal = CheckModuleDirectory(dir, name, mifName); refusal != msgSuccess)
        return refusal;
    // A pipe or an unreadable folder would fail the copy half way: refuse it before writing.
    if (!PcTreeIsCopyable(dir))
        return msgCannotCopyModule;

    const CStoppableOperation load;
    const std::string mifDevicePath = DeviceRootPath + "/" + mifName;
    if (const AppMessage refusal = CheckNoMifOnDevice(port, mifDevicePath); refusal != msgSuccess)
        return StopDue() ? msgLoadStopped : refusal;
    if (EfsStatsAvailable && PcTreeAllocatedSize(dir) > FreeSpaceOrZero(port))
        return msgNoRoomForModule;
    if (StopDue())
        return msgLoadStopped;

    // A stop that comes while a failed load rolls back does not stop the rollback, and the load
    // then reports the failure that started it.
    const std::string mifPcPath = JoinPcPath(dir, mifName);
    if (!CopyFileToDevice(port, mifPcPath, mifDevicePath)) {
        const bool stopped = StopDue();
        // A partly written information file would make every retry fail as "already exists".
        {
            const CStopHold rollback;
            const CReportingOff silent;
            EfsRemoveFile(port, mifDevicePath);
        }
        return stopped ? msgLoadStopped : msgCannotCopyMif;
    }

    CDirectoryCopy copy = CopyDirectoryUndoable(port, dir, DeviceRootPath + "/" + name, mifPcPath);
    if (copy.copied)
        return msgModuleLoaded;

    // Roll back silently, removing only what this load wrote: the information file first, then
    // the module directory if the copy made it. A stopped load ends the same way.
    const bool stopped = StopDue();
    {
        const CStopHold rollback;
        const CReportingOff silent;
        EfsRemoveFile(port, mifDevicePath);
    }
    copy.rollback.Run();
    return stopped ? msgLoadStopped : msgCannotCopyModule;
}

AppMessage LoadPendingFile(CDiagPort* port, const std::string& pcFile)
{
    if (port == nullptr)
        return msgInvalidPortHandle;
    if (pcFile.empty())
        return msgNullArgument;
    const CStoppableOperation load;
    const std::string pendingPath = DeviceRootPath + "/pending";
    // The old pending file is read first, so a replacement that fails or is stopped can put it
    // back. One that cannot be read whole is not replaced, nor is one the handset cannot say
    // anything of: it may be there.
    const EfsFileCheck before = EfsCheckFile(port, pendingPath);
    std::optional<std::vector<uint8_t>> old;
    if (before.state != EfsFileCheck::State::missing) {
        if (before.state == EfsFileCheck::State::present && before.size <= maxKeptPendingBytes)
            old = ReadKeptFile(port, pendingPath);
        if (!old) {
            if (StopDue())
                return msgCopyToDeviceStopped;
            ReportAppMessage(msgCannotReadDeviceFile);
            return msgPendingFailed;
        }
    }
    if (StopDue())
        return msgCopyToDeviceStopped;
    bool startedWriting = false;
    if (CopyFileToDevice(port, pcFile, pendingPath, &startedWriting))
        return msgPendingLoaded;

    // A replacement that never began writing, or left the file just as it was, needs no
    // write-back: writing the old file again could only put it at risk.
    const bool stopped = StopDue();
    if (old && startedWriting) {
        const CStopHold restore;
        const EfsFileCheck now = EfsCheckFile(port, pendingPath);
        if (now != before && !EfsWriteFile(port, pendingPath, efsDefaultWriteMode, before.attributes,
                                           old->data(), old->size(), {}, &now))
            ReportPathMessage(msgCannotCopyFile, ShownDevicePath(pendingPath));
    }
    return stopped ? msgCopyToDeviceStopped : msgPendingFailed;
}
