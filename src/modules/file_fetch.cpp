#include "modules/file_fetch.h"

#include <cstdint>
#include <span>

#include "report/reporter.h"
#include "efs/efs_operations.h"
#include "efs/efs_paths.h"
#include "modules/transfer_progress.h"
#include "platform/pc_file.h"
#include "platform/stop_request.h"

namespace {

std::string TrimSpaces(const std::string& text)
{
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

AppMessage FetchFile(CDiagPort* port, const std::string& deviceName, std::string& pcPath)
{
    if (port == nullptr)
        return msgInvalidPortHandle;
    // An empty or blank name names no device file: the read of it fails.
    const std::string name = TrimSpaces(deviceName);
    if (name.empty())
        return msgCannotReadDeviceFile;

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

    // The temporary file is made first, so a folder that cannot take it costs no read; blocks
    // go to it as they arrive and it replaces the destination only once complete.
    auto replacement = CFileReplacement::Begin(pcPath);
    if (!replacement)
        return msgCannotOpenPcFile;
    bool writeFailed = false;
    const auto store = [&](std::span<const uint8_t> block) {
        writeFailed = !replacement->Write(block);
        return !writeFailed;
    };
    uint32_t size = 0;
    const bool read = EfsReadFileInto(port, devicePath, store, &size,
                                      [&](uint64_t done, uint64_t total) {
                                          ReportTransferProgress(fileName, done, total);
                                      });
    if (writeFailed)
        return msgCannotWritePcFile;
    if (!read && StopRequested())
        return msgFetchStopped;
    if (!read || size == 0)
        return msgCannotReadDeviceFile;

    const PcEntryKind existing = PcEntryAt(pcPath);
    if (existing != PcEntryKind::none) {
        const std::string question =
            "Warning - Would you like to replace the existing file " + pcPath +
            " on PC hard disk with this one";
        if (!AskYesNo(question + " (y/n)?[y] ", question + "?"))
            return msgFetchStopped;
        if (existing == PcEntryKind::directory)
            return msgCannotOpenPcFile;
    }
    // A stop asked for while the question waited keeps the old file too.
    if (StopRequested())
        return msgFetchStopped;
    return replacement->Commit() ? msgSuccess : msgCannotWritePcFile;
}
