// Everything that puts something on the device from the window: dropped files, folders and
// module folders, and the New File, New Directory and New Module commands.
#include <QDir>
#include <filesystem>

#include "report/reporter.h"
#include "report/reporting_off.h"
#include "efs/efs_operations.h"
#include "efs/efs_paths.h"
#include "efs/efs_tree.h"
#include "modules/module_load.h"
#include "modules/pc_search.h"
#include "platform/stop_request.h"
#include "ui/connection_status.h"
#include "ui/copy_to_device_dialogs.h"
#include "ui/device_tree_ctrl.h"
#include "ui/drop_placement.h"
#include "ui/list_view.h"
#include "ui/wait_dialog.h"

namespace {

bool Ask(AppMessage question)
{
    const std::string text = AppMessageText(question);
    return AskYesNo(text, text);
}

std::string Trimmed(const QString& text)
{
    return text.trimmed().toStdString();
}

// Holds a stop request back for the lifetime of the object, then restores it: a rollback runs
// to its end even though the user stopped the copy it undoes.
class CStopHeldBack {
public:
    CStopHeldBack() : was_(StopRequested()) { ClearStopRequest(); }
    ~CStopHeldBack()
    {
        if (was_)
            RequestStop();
    }
    CStopHeldBack(const CStopHeldBack&) = delete;
    CStopHeldBack& operator=(const CStopHeldBack&) = delete;

private:
    bool was_;
};

}  // namespace

void CDeviceTreeCtrl::DropItems(const QStringList& pcPaths, QTreeWidgetItem* target)
{
    if (target == nullptr || pcPaths.isEmpty())
        return;
    CCommandInProgress busy;
    bool stopped = false;
    {
        CTransferWaitScope wait(msgCopyingFiles);
        // Every dropped item is copied, none left out silently however many there are, unless
        // the user stops the copy.
        const QPersistentModelIndex targetIndex(indexFromItem(target));
        for (const QString& path : pcPaths) {
            // A refresh may rebuild the tree around the target; stop if it went away.
            QTreeWidgetItem* node = targetIndex.isValid() ? itemFromIndex(targetIndex) : nullptr;
            if (node == nullptr)
                break;
            stopped = StopRequested() || CopyDroppedItem(path.toStdString(), node);
            if (stopped)
                break;
        }
    }
    if (stopped)
        ReportAppMessage(msgCopyToDeviceStopped);
}

bool CDeviceTreeCtrl::CopyDroppedItem(const std::string& pcPath, QTreeWidgetItem* target)
{
    std::error_code error;
    const bool isDirectory = std::filesystem::is_directory(pcPath, error);
    std::string mifName;
    const MifCount mifs = isDirectory ? CountMifFiles(pcPath, &mifName) : mifCountNone;
    const bool atTop = target == TopNode();
    const CDropPlan plan =
        PlanDrop(pcPath, isDirectory, mifs, mifName, DropTargetDirectory(NodePath(*target)), atTop);
    if (plan.marksModulesStale)
        moduleCache_.stale = true;

    // A stopped copy is reported once, when the drop ends, instead of as a failure.
    bool stopped = false;
    switch (plan.action) {
    case DropAction::refuse:
        ReportAppMessage(plan.refusal);
        return false;  // nothing was sent, nothing to refresh
    case DropAction::copyFile:
        if (!CopyFileToDevice(link_.get(), pcPath, plan.devicePath)) {
            stopped = StopRequested();
            if (stopped)
                break;
            ReportPathMessage(plan.failure, plan.devicePath);
            return false;
        }
        break;
    case DropAction::copyDirectory: {
        bool created = false;
        if (!CopyDirectoryToDevice(link_.get(), pcPath, plan.devicePath, {}, &created)) {
            stopped = StopRequested();
            if (!stopped)
                ReportPathMessage(plan.failure, plan.devicePath);
            // Only a directory this copy made is removed; one that was there before stays.
            if (created) {
                CWaitScope housekeeping(msgHousekeeping);
                CReportingOff quiet;
                CStopHeldBack finishRollback;
                RemoveDeviceTree(link_.get(), plan.devicePath);
            }
        }
        break;
    }
    case DropAction::loadModule: {
        const AppMessage result = LoadModule(link_.get(), pcPath, plan.moduleName);
        stopped = result != msgModuleLoaded && StopRequested();
        if (result != msgModuleLoaded && result != msgLoadStopped && !stopped)
            ReportAppMessage(result);
        break;
    }
    }
    RefreshNode(target, NodePath(*target), RefreshMode::treeAndList, true);
    return stopped;
}

void CDeviceTreeCtrl::DropOnList(const QStringList& pcPaths)
{
    CTarlo32View* list = ListView();
    if (list == nullptr)
        return;
    const std::vector<int> rows = list->SelectedRows();
    QTreeWidgetItem* target = nullptr;
    switch (ListDropTargetFor(list->SelectedRowKinds())) {
    case ListDropTarget::selectedNode:
        target = currentItem();
        break;
    case ListDropTarget::selectedRowDirectory:
        target = SubdirectoryNode(list->Text(rows.front(), columnName));
        break;
    case ListDropTarget::ignore:
        return;
    }
    DropItems(pcPaths, target);
}

bool CDeviceTreeCtrl::PresetFromSelection(QString& path)
{
    QTreeWidgetItem* selected = currentItem();
    if (selected == nullptr)
        return true;
    path = QString::fromStdString(DialogFormOf(NodePath(*selected)));
    CTarlo32View* list = ListView();
    if (list == nullptr) {
        ReportAppMessage(msgNoListPane);
        return false;
    }
    const std::vector<ItemKind> kinds = list->SelectedRowKinds();
    if (kinds.size() == 1 && kinds.front() != ItemKind::file)
        path += list->Text(list->SelectedRows().front(), columnName) + QStringLiteral("/");
    selected->setExpanded(true);
    return true;
}

void CDeviceTreeCtrl::OnNewFile()
{
    CCommandInProgress busy;
    CNewFileDialog* dialog = NewFileDialog();
    QString preset = dialog->DevicePath();
    if (!PresetFromSelection(preset))
        return;
    dialog->SetDevicePath(preset);
    if (dialog->PcFile().isEmpty())
        dialog->SetPcFile(QDir::currentPath());

    for (;;) {
        if (dialog->exec() != QDialog::Accepted)
            return;
        const std::string pcFile = dialog->PcFile().toStdString();
        std::string devicePath = dialog->DevicePath().toStdString();
        if (pcFile.empty() || devicePath.empty()) {
            ReportAppMessage(msgFileNamesNotGiven);
            continue;
        }
        if (devicePath.back() == '/')
            devicePath += pcFile.substr(pcFile.rfind('/') + 1);

        QTreeWidgetItem* node = NodeByPath(devicePath);
        const bool atTop = node != nullptr && node == TopNode();
        if (const AppMessage refusal = CheckNewFilePlacement(devicePath, atTop)) {
            ReportAppMessage(refusal);
            dialog->SetDevicePath(QString::fromStdString(devicePath));
            continue;
        }
        if (atTop)
            moduleCache_.stale = true;

        {
            CTransferWaitScope wait(msgCopyingFiles);
            if (CopyFileToDevice(link_.get(), pcFile, ToDevicePath(devicePath, DeviceRootPath))) {
                if (node != nullptr) {
                    RefreshNode(node, ContainingDirectory(devicePath), RefreshMode::treeAndList,
                                true);
                    setCurrentItem(node);
                }
                return;
            }
        }
        // The wait window is gone before the question comes up; a stopped copy asks nothing.
        if (StopRequested()) {
            ReportAppMessage(msgCopyToDeviceStopped);
            return;
        }
        if (!Ask(msgRetryCopyFile))
            return;
        dialog->SetDevicePath(QString::fromStdString(devicePath));
    }
}

void CDeviceTreeCtrl::OnNewDirectory()
{
    CCommandInProgress busy;
    CNewDirectoryDialog dialog(this);
    QString preset;
    if (!PresetFromSelection(preset))
        return;
    dialog.SetDirectoryPath(preset);

    for (;;) {
        if (dialog.exec() != QDialog::Accepted)
            return;
        if (dialog.DirectoryPath().isEmpty()) {
            ReportAppMessage(msgDirectoryNotGiven);
            continue;
        }
        const std::string path = ToDevicePath(Trimmed(dialog.DirectoryPath()), DeviceRootPath);
        if (!EfsMakeDir(link_.get(), path)) {
            if (!Ask(msgRetryMakeDirectory))
                return;
            dialog.SetDirectoryPath(QString::fromStdString(path));
            continue;
        }
        CWaitScope wait(msgCreatingDirectory);
        if (QTreeWidgetItem* node = NodeByPath(path)) {
            RefreshNode(node, ContainingDirectory(path), RefreshMode::treeAndList, true);
            setCurrentItem(node);
        }
        return;
    }
}

void CDeviceTreeCtrl::RefreshTop()
{
    if (QTreeWidgetItem* top = TopNode())
        RefreshNode(top, DeviceRootPath, RefreshMode::treeAndList, true);
}

void CDeviceTreeCtrl::OnNewModule()
{
    CCommandInProgress busy;
    CNewModuleDialog* dialog = NewModuleDialog();
    if (dialog->ModuleDirectory().isEmpty())
        dialog->SetModuleDirectory(QDir::currentPath());
    if (dialog->exec() != QDialog::Accepted)
        return;
    const std::string directory = dialog->ModuleDirectory().toStdString();
    const std::string name = dialog->ModuleName().toStdString();
    if (directory.empty() || name.empty()) {
        ReportAppMessage(msgModuleNamesNotGiven);
        return;
    }
    moduleCache_.stale = true;
    CTransferWaitScope wait(msgCopyingFiles);
    const AppMessage result = LoadModule(link_.get(), directory, name);
    // Cancel in the wait window is reported; a declined question ends the load silently.
    if (StopRequested() && result != msgModuleLoaded) {
        ReportAppMessage(msgLoadStopped);
        return;
    }
    if (result == msgLoadStopped)
        return;
    if (result != msgModuleLoaded)
        ReportAppMessage(result);
    if (result == msgModuleLoaded || result == msgCannotCopyModule)
        RefreshTop();
}
