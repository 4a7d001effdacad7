// The session's deletions: list rows, a tree folder, and a module by name.
#include <algorithm>
#include <cstdio>

#include "efs/efs_operations.h"
#include "efs/efs_tree.h"
#include "modules/module_list.h"
#include "platform/busy_hook.h"
#include "platform/stop_request.h"
#include "report/reporter.h"
#include "session/device_session.h"

namespace {

bool Confirm(const std::string& question)
{
    return AskYesNo(question, question);
}

}  // namespace

bool CDeviceSession::DeleteEntry(const CDeviceFolder& folder, const CListRow& row)
{
    if (folder.isTop)
        moduleCache_.stale = true;
    std::string path = folder.path;
    if (path.empty() || path.back() != '/')
        path += "/";
    path += row.name;
    switch (row.kind) {
    case ItemKind::file:
        if (!EfsRemoveFile(link_.get(), path) && !StopRequested()) {
            ReportPathMessage(msgCannotRemoveFile, path);
            return false;
        }
        return true;
    case ItemKind::directory:
        return RemoveDeviceTree(link_.get(), path);
    case ItemKind::module: {
        // The modules layer decides the order, so a stopped delete leaves the module listed.
        const AppMessage result = DeleteModule(link_.get(), row.name);
        if (result == msgModuleDeleted)
            return true;
        if (result != msgCannotRemoveModule && !StopRequested())
            ReportAppMessage(result);
        return false;
    }
    }
    return false;
}

bool CDeviceSession::DeleteRows(const CDeviceFolder& folder, std::vector<CListRow> rows)
{
    if (rows.empty())
        return false;
    char question[96];
    std::snprintf(question, sizeof question, "Are you sure you want to delete these %d item(s)?",
                  static_cast<int>(rows.size()));
    if (!Confirm(question))
        return false;
    // Folders go before files: a module's folder is removed before its information file, so a
    // delete that stops half-way leaves a module that is still listed and can be deleted again.
    std::stable_partition(rows.begin(), rows.end(),
                          [](const CListRow& row) { return row.kind != ItemKind::file; });
    auto wait = ShowWait(msgDeletingFiles, SessionWait::cancel);
    for (const CListRow& row : rows) {
        if (StopRequested())
            break;
        DeleteEntry(folder, row);  // a failure moves on to the next row
        RunBusyHook();             // quick deletes may never wait long enough to call it
    }
    if (StopRequested())
        ReportAppMessage(msgDeleteStopped);
    return true;
}

FolderDelete CDeviceSession::DeleteFolder(const CDeviceFolder& node, const std::string& label,
                                          bool fromDeleteKey)
{
    if (node.isTop) {
        ReportAppMessage(msgCannotDeleteRoot);
        return FolderDelete::kept;
    }
    const std::string question =
        fromDeleteKey ? std::string(AppMessageText(msgConfirmDeleteDirectory)) + label
                      : "Are you sure you want to delete directory: " + label;
    if (!Confirm(question))
        return FolderDelete::kept;
    bool removed = false;
    {
        auto wait = ShowWait(msgDeletingFiles, SessionWait::cancel);
        removed = RemoveDeviceTree(link_.get(), node.path);
    }
    if (removed)
        return FolderDelete::removed;
    if (!StopRequested())
        return FolderDelete::kept;
    // Part of the directory may be gone: the caller shows what is left.
    ReportAppMessage(msgDeleteStopped);
    return FolderDelete::stopped;
}

bool CDeviceSession::DeleteModuleNamed(const std::string& name)
{
    if (name.empty()) {
        ReportAppMessage(msgModuleNameNotGiven);
        return false;
    }
    moduleCache_.stale = true;
    auto wait = ShowWait(msgDeletingFiles, SessionWait::cancel);
    const AppMessage result = DeleteModule(link_.get(), name);
    if (result != msgModuleDeleted && StopRequested())
        ReportAppMessage(msgDeleteStopped);
    else if (result != msgModuleDeleted && result != msgCannotRemoveModule)
        ReportAppMessage(result);
    return result != msgUnknownModule;
}
