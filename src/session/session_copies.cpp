// The session's copies: dropped PC files, folders and module folders, New File, New Directory,
// New Module, and Copy from Device.
#include <filesystem>

#include "efs/efs_operations.h"
#include "efs/efs_paths.h"
#include "efs/efs_tree.h"
#include "modules/file_fetch.h"
#include "modules/module_load.h"
#include "modules/pc_search.h"
#include "platform/pc_path.h"
#include "platform/stop_request.h"
#include "report/reporter.h"
#include "session/device_session.h"
#include "session/drop_placement.h"
#include "session/node_paths.h"
#include "session/text_trim.h"

namespace {

bool Ask(AppMessage question)
{
    const std::string text = AppMessageText(question);
    return AskYesNo(text, text);
}

}  // namespace

std::optional<CDeviceFolder> CDeviceSession::ListDropTarget(const CDeviceFolder& selectedNode,
                                                            const std::vector<CListRow>& rows) const
{
    std::vector<ItemKind> kinds;
    for (const CListRow& row : rows)
        kinds.push_back(row.kind);
    switch (ListDropTargetFor(kinds)) {
    case ListDropTarget::selectedNode:
        return selectedNode;
    case ListDropTarget::selectedRowDirectory:
        return CDeviceFolder{selectedNode.path + rows.front().name + "/", false,
                             rows.front().name};
    case ListDropTarget::ignore:
        break;
    }
    return std::nullopt;
}

CDropOutcome CDeviceSession::Drop(const std::vector<std::string>& pcPaths,
                                  const CDeviceFolder& target)
{
    CDropOutcome outcome;
    if (pcPaths.empty())
        return outcome;
    {
        auto wait = ShowWait(msgCopyingFiles, SessionWait::transfer);
        // Every dropped item is copied, none left out silently however many there are, unless
        // the user stops the copy.
        for (const std::string& path : pcPaths) {
            outcome.stopped = StopRequested();
            if (!outcome.stopped)
                CopyDroppedItem(path, target, outcome);
            if (outcome.stopped)
                break;
        }
    }
    if (outcome.stopped)
        ReportAppMessage(msgCopyToDeviceStopped);
    return outcome;
}

void CDeviceSession::CopyDroppedItem(const std::string& pcPath, const CDeviceFolder& target,
                                     CDropOutcome& outcome)
{
    std::error_code error;
    const bool isDirectory = std::filesystem::is_directory(PcPath(pcPath), error);
    std::string mifName;
    const MifCount mifs = isDirectory ? CountMifFiles(pcPath, &mifName) : mifCountNone;
    const CDropPlan plan = PlanDrop(pcPath, isDirectory, mifs, mifName,
                                    DropTargetDirectory(target.path), target.isTop);
    if (plan.marksModulesStale)
        moduleCache_.stale = true;
    if (plan.action == DropAction::refuse) {
        ReportAppMessage(plan.refusal);
        return;  // nothing was sent, nothing to refresh
    }
    outcome.changed = true;
    // A stopped copy is reported once, when the drop ends, instead of as a failure.
    switch (plan.action) {
    case DropAction::refuse:
        break;
    case DropAction::copyFile:
        // The copy has said why it failed, with the whole device path; only the module's
        // information file at the top gets a word of its own.
        if (!CopyFileToDevice(link_.get(), pcPath, plan.devicePath)) {
            outcome.stopped = StopRequested();
            if (!outcome.stopped && plan.failure != msgCannotCopyFile)
                ReportPathMessage(plan.failure, plan.devicePath);
        }
        break;
    case DropAction::copyDirectory: {
        CDirectoryCopy copy = CopyDirectoryUndoable(link_.get(), pcPath, plan.devicePath);
        if (!copy.copied) {
            outcome.stopped = StopRequested();
            if (!outcome.stopped)
                ReportPathMessage(plan.failure, plan.devicePath);
            // The user is told why first; the removal of what the copy made can take a while.
            if (copy.rollback.Pending()) {
                auto housekeeping = ShowWait(msgHousekeeping, SessionWait::plain);
                copy.rollback.Run();
            }
        }
        break;
    }
    case DropAction::loadModule: {
        const AppMessage result = LoadModule(link_.get(), pcPath, plan.moduleName);
        outcome.stopped = result != msgModuleLoaded && StopRequested();
        if (result != msgModuleLoaded && result != msgLoadStopped && !outcome.stopped)
            ReportAppMessage(result);
        break;
    }
    }
}

DialogStep CDeviceSession::NewFile(const std::string& pcFile, const std::string& devicePath,
                                   bool containingIsTop)
{
    if (const AppMessage refusal = CheckNewFilePlacement(devicePath, containingIsTop)) {
        ReportAppMessage(refusal);
        return DialogStep::askAgain;
    }
    if (containingIsTop)
        moduleCache_.stale = true;
    {
        auto wait = ShowWait(msgCopyingFiles, SessionWait::transfer);
        if (CopyFileToDevice(link_.get(), pcFile, ToDevicePath(devicePath, DeviceRootPath)))
            return DialogStep::done;
    }
    // The wait window is gone before the question comes up; a stopped copy asks nothing.
    if (StopRequested()) {
        ReportAppMessage(msgCopyToDeviceStopped);
        return DialogStep::abandoned;
    }
    return Ask(msgRetryCopyFile) ? DialogStep::askAgain : DialogStep::abandoned;
}

DialogStep CDeviceSession::NewDirectory(const std::string& typedPath, std::string& devicePath)
{
    devicePath = typedPath;
    if (typedPath.empty()) {
        ReportAppMessage(msgDirectoryNotGiven);
        return DialogStep::askAgain;
    }
    devicePath = ToDevicePath(Trim(typedPath, anyWhiteSpace), DeviceRootPath);
    // A directory that was there already is reported as such, even when a lost reply made the
    // request go out twice.
    if (EfsMakeDir(link_.get(), devicePath, DeviceDirPresence(link_.get(), devicePath)))
        return DialogStep::done;
    return Ask(msgRetryMakeDirectory) ? DialogStep::askAgain : DialogStep::abandoned;
}

bool CDeviceSession::NewModule(const std::string& pcDirectory, const std::string& name)
{
    if (pcDirectory.empty() || name.empty()) {
        ReportAppMessage(msgModuleNamesNotGiven);
        return false;
    }
    moduleCache_.stale = true;
    auto wait = ShowWait(msgCopyingFiles, SessionWait::transfer);
    const AppMessage result = LoadModule(link_.get(), pcDirectory, name);
    // Cancel in the wait window is reported; a declined question ends the load silently.
    if (StopRequested() && result != msgModuleLoaded) {
        ReportAppMessage(msgLoadStopped);
        return false;
    }
    if (result == msgLoadStopped)
        return false;
    if (result != msgModuleLoaded)
        ReportAppMessage(result);
    return result == msgModuleLoaded || result == msgCannotCopyModule;
}

bool CDeviceSession::CopyFromDevicePreset(const CDeviceFolder* selected,
                                          const std::vector<CListRow>& rows,
                                          std::optional<std::string>& preset) const
{
    std::string fileName;
    if (rows.size() == 1) {
        // Only a File row can be copied; any other single row makes the command do nothing.
        if (rows.front().kind != ItemKind::file)
            return false;
        fileName = rows.front().name;
    }
    if (selected != nullptr)
        preset = DialogFormOf(selected->path) + fileName;
    return true;
}

void CDeviceSession::CopyFromDevice(const std::string& deviceFile, std::string destination)
{
    if (deviceFile.empty() || destination.empty()) {
        ReportAppMessage(msgFetchNamesNotGiven);
        return;
    }
    AppMessage result;
    {
        auto wait = ShowWait(msgCopyingFiles, SessionWait::transfer);
        result = FetchFile(link_.get(), ToDevicePath(deviceFile, DeviceRootPath), destination);
    }
    // msgFetchStopped is silent when the user kept the PC file, and said when Cancel stopped the
    // copy.
    if (result != msgSuccess && StopRequested())
        ReportAppMessage(msgFetchStopped);
    else if (result != msgSuccess && result != msgFetchStopped)
        ReportAppMessage(result);
}
