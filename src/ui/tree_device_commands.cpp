// The device commands that are not copies to the device: the module list, deletions, copy from
// the device, reset and offline, the size-mode refresh and the two context menus.
#include <QApplication>
#include <QDir>
#include <cstdio>

#include "report/reporter.h"
#include "efs/efs_operations.h"
#include "efs/efs_paths.h"
#include "efs/efs_tree.h"
#include "link/phone_mode.h"
#include "modules/file_fetch.h"
#include "modules/module_list.h"
#include "platform/busy_hook.h"
#include "platform/stop_request.h"
#include "ui/command_table.h"
#include "ui/connection_status.h"
#include "ui/device_command_dialogs.h"
#include "ui/device_tree_ctrl.h"
#include "ui/list_view.h"
#include "ui/menu_rules.h"
#include "ui/size_display_mode.h"
#include "ui/wait_dialog.h"

namespace {

bool Confirm(const std::string& question)
{
    return AskYesNo(question, question);
}

}  // namespace

void CDeviceTreeCtrl::OnDelete()
{
    CTarlo32View* list = ListView();
    if (listContextMenuOpen_ || (list && list->isAncestorOf(QApplication::focusWidget())))
        OnDeleteRows();
    else
        OnDeleteDirectory(false);
}

void CDeviceTreeCtrl::OnSizeModeChanged(int sizeMode)
{
    CCommandInProgress busy;
    if (QTreeWidgetItem* selected = currentItem())
        RefreshNode(selected, NodePath(*selected), RefreshMode::listOnly, false);
    if (sizeMode != moduleCache_.sizeMode)
        moduleCache_.stale = true;
}

void CDeviceTreeCtrl::RebuildModuleCache()
{
    CTarlo32View* list = ListView();
    std::vector<ModuleEntry> modules;
    bool listed = true;
    // The rows serve only while they are the root's listing, not an earlier module list.
    bool rowsAreModules = false;
    if (list != nullptr) {
        for (int row = 0; row < list->RowCount(); ++row)
            rowsAreModules |= ItemKindFromText(list->Text(row, columnType).toStdString()) ==
                              ItemKind::module;
    }
    if (list != nullptr && currentItem() != nullptr && currentItem() == TopNode() &&
        !rowsAreModules) {
        list->SetMode(ViewMode::details);
        std::vector<CListRowText> rows;
        for (int row = 0; row < list->RowCount(); ++row)
            rows.push_back({list->Text(row, columnName).toStdString(),
                            list->Text(row, columnSize).toStdString(),
                            list->Text(row, columnType).toStdString()});
        modules = ModulesFromRows(rows);
    } else {
        listed = ModulesFromDevice(link_.get(), EfsStatsAvailable, SizeDisplayMode, modules);
    }
    if (!listed) {
        // The cache stays stale, so the next list asks the device again rather than showing
        // an empty list as if no module were stored.
        moduleCache_.modules.clear();
        ReportAppMessage(msgCannotListModules);
        return;
    }
    moduleCache_.modules = std::move(modules);
    moduleCache_.stale = false;
    moduleCache_.sizeMode = SizeDisplayMode;
    if (moduleCache_.modules.empty())
        ReportAppMessage(msgNoModules);
}

void CDeviceTreeCtrl::OnModuleList()
{
    CCommandInProgress busy;
    if (!link_) {
        ReportAppMessage(msgInvalidPortHandle);
        return;
    }
    CTarlo32View* list = ListView();
    if (list == nullptr) {
        ReportAppMessage(msgNoListPane);
        return;
    }
    CWaitScope wait(msgBuildingModuleList);
    if (moduleCache_.stale)
        RebuildModuleCache();
    if (QTreeWidgetItem* top = TopNode())
        setCurrentItem(top);
    list->DeleteAllItems();
    for (const ModuleEntry& module : moduleCache_.modules)
        list->AddItem(QString::fromStdString(LastPathComponent(module.name)),
                      EfsStatsAvailable ? module.size : -1, ItemKind::module, QString());
}

void CDeviceTreeCtrl::OnDeleteDirectory(bool fromDeleteKey)
{
    CCommandInProgress busy;
    QTreeWidgetItem* node = currentItem();
    if (node == nullptr) {
        if (!fromDeleteKey)
            ReportAppMessage(msgNothingSelected);
        return;
    }
    if (node == TopNode()) {
        ReportAppMessage(msgCannotDeleteRoot);
        return;
    }
    const std::string label = node->text(0).toStdString();
    std::string question;
    if (fromDeleteKey) {
        question = std::string(AppMessageText(msgConfirmDeleteDirectory)) + label;
    } else {
        question = "Are you sure you want to delete directory: " + label;
    }
    if (!Confirm(question))
        return;
    CWaitScope wait(msgDeletingFiles, WaitStop::cancel);
    if (RemoveDeviceTree(link_.get(), NodePath(*node))) {
        delete node;  // the tree selects another node, which refills the list
    } else if (StopRequested()) {
        // Part of the directory may be gone: show what is left.
        RefreshNode(node, NodePath(*node), RefreshMode::treeAndList, true);
        ReportAppMessage(msgDeleteStopped);
    }
}

bool CDeviceTreeCtrl::DeleteEntry(const QString& name, ItemKind kind)
{
    QTreeWidgetItem* selected = currentItem();
    if (selected == nullptr) {
        ReportAppMessage(msgNothingSelected);
        return false;
    }
    if (selected == TopNode())
        moduleCache_.stale = true;
    std::string path = NodePath(*selected);
    if (path.empty() || path.back() != '/')
        path += "/";
    path += name.toStdString();
    switch (kind) {
    case ItemKind::file:
        if (!EfsRemoveFile(link_.get(), path) && !StopRequested()) {
            ReportPathMessage(msgCannotRemoveFile, path);
            return false;
        }
        return true;
    case ItemKind::directory:
        return RemoveDeviceTree(link_.get(), path);
    case ItemKind::module: {
        const AppMessage result = DeleteModule(link_.get(), name.toStdString());
        if (result == msgModuleDeleted)
            return true;
        if (result != msgCannotRemoveModule && !StopRequested())
            ReportAppMessage(result);
        return false;
    }
    }
    return false;
}

void CDeviceTreeCtrl::OnDeleteRows()
{
    CCommandInProgress busy;
    CTarlo32View* list = ListView();
    if (list == nullptr)
        return;
    const std::vector<int> rows = list->SelectedRows();
    if (rows.empty())
        return;
    char question[96];
    std::snprintf(question, sizeof question, "Are you sure you want to delete these %d item(s)?",
                  static_cast<int>(rows.size()));
    if (!Confirm(question))
        return;
    // Names and kinds are read before anything changes the rows.
    std::vector<std::pair<QString, ItemKind>> entries;
    for (int row : rows) {
        if (auto kind = ItemKindFromText(list->Text(row, columnType).toStdString()))
            entries.emplace_back(list->Text(row, columnName), *kind);
    }
    CWaitScope wait(msgDeletingFiles, WaitStop::cancel);
    for (const auto& [name, kind] : entries) {
        if (StopRequested())
            break;
        DeleteEntry(name, kind);  // a failure moves on to the next row
        RunBusyHook();  // quick deletes may never wait long enough to call it
    }
    if (QTreeWidgetItem* selected = currentItem())
        RefreshNode(selected, NodePath(*selected), RefreshMode::treeAndList, true);
    if (StopRequested())
        ReportAppMessage(msgDeleteStopped);
}

void CDeviceTreeCtrl::OnDeleteModule()
{
    CCommandInProgress busy;
    CTarlo32View* list = ListView();
    if (list == nullptr) {
        ReportAppMessage(msgNoListPane);
        return;
    }
    CDeleteModuleDialog dialog(this);
    const std::vector<int> rows = list->SelectedRows();
    if (rows.size() == 1)
        dialog.SetModuleName(list->Text(rows.front(), columnName));
    if (dialog.exec() != QDialog::Accepted)
        return;
    const std::string name = dialog.ModuleName().toStdString();
    if (name.empty()) {
        ReportAppMessage(msgModuleNameNotGiven);
        return;
    }
    moduleCache_.stale = true;
    CWaitScope wait(msgDeletingFiles, WaitStop::cancel);
    const AppMessage result = DeleteModule(link_.get(), name);
    if (result != msgModuleDeleted && StopRequested())
        ReportAppMessage(msgDeleteStopped);
    else if (result != msgModuleDeleted && result != msgCannotRemoveModule)
        ReportAppMessage(result);
    if (result != msgUnknownModule)
        RefreshTop();
}

void CDeviceTreeCtrl::OnCopyFromDevice()
{
    CCommandInProgress busy;
    CCopyFromPhoneDialog* dialog = CopyFromPhoneDialog();
    QString fileName;
    if (CTarlo32View* list = ListView()) {
        const std::vector<int> rows = list->SelectedRows();
        if (rows.size() == 1) {
            // Only a File row can be copied; any other single row makes the command do nothing.
            if (ItemKindFromText(list->Text(rows.front(), columnType).toStdString()) !=
                ItemKind::file)
                return;
            fileName = list->Text(rows.front(), columnName);
        }
    }
    if (QTreeWidgetItem* selected = currentItem())
        dialog->SetDeviceFile(QString::fromStdString(DialogFormOf(NodePath(*selected))) +
                              fileName);
    if (dialog->DestinationDirectory().isEmpty())
        dialog->SetDestinationDirectory(QDir::currentPath());
    if (dialog->exec() != QDialog::Accepted)
        return;
    const std::string deviceFile = dialog->DeviceFile().toStdString();
    std::string destination = dialog->DestinationDirectory().toStdString();
    if (deviceFile.empty() || destination.empty()) {
        ReportAppMessage(msgFetchNamesNotGiven);
        return;
    }
    AppMessage result;
    {
        CTransferWaitScope wait(msgCopyingFiles);
        result = FetchFile(link_.get(), ToDevicePath(deviceFile, DeviceRootPath), destination);
    }
    // Code 4 is silent when the user kept the PC file, and said when Cancel stopped the copy.
    if (result != msgSuccess && StopRequested())
        ReportAppMessage(msgFetchStopped);
    else if (result != msgSuccess && result != msgFetchStopped)
        ReportAppMessage(result);
}

void CDeviceTreeCtrl::OnReset()
{
    CCommandInProgress busy;
    AppMessage result;
    {
        CWaitScope wait(msgResetting);
        result = ResetPhone(link_.get());
    }
    ReportAppMessage(result);
}

void CDeviceTreeCtrl::OnOffline()
{
    CCommandInProgress busy;
    AppMessage result;
    {
        CWaitScope wait(msgGoingOffline);
        result = SetPhoneOffline(link_.get());
    }
    ReportAppMessage(result);
}

void CDeviceTreeCtrl::OnListRowActivated()
{
    CTarlo32View* list = ListView();
    if (list == nullptr)
        return;
    const std::vector<int> rows = list->SelectedRows();
    if (rows.size() != 1)
        return;
    const auto kind = ItemKindFromText(list->Text(rows.front(), columnType).toStdString());
    if (kind != ItemKind::directory && kind != ItemKind::module)
        return;
    CCommandInProgress busy;
    OpenSubdirectory(list->Text(rows.front(), columnName));
}

void CDeviceTreeCtrl::ShowTreeContextMenu(const QPoint& globalPosition)
{
    const bool topOrNone = currentItem() == nullptr || currentItem() == TopNode();
    emit ContextMenuRequested(TreeContextMenu(), topOrNone, globalPosition);
}

void CDeviceTreeCtrl::ShowListContextMenu(const QPoint& globalPosition)
{
    CTarlo32View* list = ListView();
    if (list == nullptr)
        return;
    const bool topOrNone = currentItem() == nullptr || currentItem() == TopNode();
    const ListContextMenu menuId = ListContextMenuFor(list->SelectedRowKinds());
    // A Delete chosen here deletes the list's rows, wherever the focus is.
    listContextMenuOpen_ = true;
    emit ContextMenuRequested(ListContextMenuItems(menuId), topOrNone, globalPosition);
    listContextMenuOpen_ = false;
}
