// The device commands as the window runs them: each opens its dialog or reads the selection,
// lets the session decide and act, and shows the result in the tree and the list. Also the
// size-mode refresh and the two context menus.
#include <QApplication>
#include <QDir>

#include "efs/efs_paths.h"
#include "session/drop_placement.h"
#include "session/node_paths.h"
#include "report/reporter.h"
#include "ui/command_table.h"
#include "ui/connection_status.h"
#include "ui/copy_to_device_dialogs.h"
#include "ui/device_command_dialogs.h"
#include "ui/device_tree_ctrl.h"
#include "ui/list_view.h"
#include "ui/menu_rules.h"
#include "ui/size_display_mode.h"
#include "ui/wait_dialog.h"

void CDeviceTreeCtrl::DropItems(const QStringList& pcPaths, QTreeWidgetItem* target)
{
    if (target == nullptr || pcPaths.isEmpty())
        return;
    CCommandInProgress busy;
    std::vector<std::string> paths;
    for (const QString& path : pcPaths)
        paths.push_back(path.toStdString());
    const QPersistentModelIndex targetIndex(indexFromItem(target));
    const CDropOutcome outcome = session_.Drop(paths, FolderOf(*target));
    // A refresh during the copy may have rebuilt the tree around the target.
    QTreeWidgetItem* node = targetIndex.isValid() ? itemFromIndex(targetIndex) : nullptr;
    if (outcome.changed && node != nullptr)
        RefreshNode(node, NodePath(*node), RefreshMode::treeAndList, true);
}

void CDeviceTreeCtrl::DropOnList(const QStringList& pcPaths)
{
    QTreeWidgetItem* selected = currentItem();
    if (ListView() == nullptr || selected == nullptr)
        return;
    const auto target = session_.ListDropTarget(FolderOf(*selected), SelectedListRows());
    if (!target)
        return;
    DropItems(pcPaths, target->rowName.empty()
                           ? selected
                           : SubdirectoryNode(QString::fromStdString(target->rowName)));
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
    const std::vector<CListRow> rows = list->SelectedListRows();
    if (rows.size() == 1 && rows.front().kind != ItemKind::file)
        path += QString::fromStdString(rows.front().name) + QStringLiteral("/");
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
        devicePath = CompleteNewFilePath(pcFile, devicePath);
        QTreeWidgetItem* node = NodeByPath(devicePath);
        const DialogStep step = session_.NewFile(pcFile, devicePath, node && node == TopNode());
        if (step == DialogStep::abandoned)
            return;
        if (step == DialogStep::done) {
            if (node != nullptr) {
                RefreshNode(node, ContainingDirectory(devicePath), RefreshMode::treeAndList, true);
                setCurrentItem(node);
            }
            return;
        }
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
        std::string path;
        const DialogStep step = session_.NewDirectory(dialog.DirectoryPath().toStdString(), path);
        if (step == DialogStep::abandoned)
            return;
        if (step == DialogStep::askAgain) {
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
    if (session_.NewModule(dialog->ModuleDirectory().toStdString(),
                           dialog->ModuleName().toStdString()))
        RefreshTop();
}

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
    session_.SizeModeChanged(sizeMode);
}

void CDeviceTreeCtrl::OnModuleList()
{
    CCommandInProgress busy;
    if (Link() == nullptr) {
        ReportAppMessage(msgInvalidPortHandle);
        return;
    }
    CTarlo32View* list = ListView();
    if (list == nullptr) {
        ReportAppMessage(msgNoListPane);
        return;
    }
    CWaitScope wait(msgBuildingModuleList);
    if (ModuleCache().stale) {
        // The rows serve only while they are the root's listing, not an earlier module list.
        std::vector<CListRowText> rows;
        bool rowsAreModules = false;
        for (int row = 0; row < list->RowCount(); ++row) {
            rows.push_back({list->Text(row, columnName).toStdString(),
                            list->Text(row, columnSize).toStdString(),
                            list->Text(row, columnType).toStdString()});
            rowsAreModules |= ItemKindFromText(rows.back().typeText) == ItemKind::module;
        }
        const bool useRows = currentItem() != nullptr && currentItem() == TopNode() &&
                             !rowsAreModules;
        if (useRows)
            list->SetMode(ViewMode::details);
        session_.RebuildModuleCache(useRows ? &rows : nullptr, SizeDisplayMode);
    }
    if (QTreeWidgetItem* top = TopNode())
        setCurrentItem(top);
    list->DeleteAllItems();
    for (const ModuleEntry& module : ModuleCache().modules)
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
    switch (session_.DeleteFolder(FolderOf(*node), node->text(0).toStdString(), fromDeleteKey)) {
    case FolderDelete::kept:
        break;
    case FolderDelete::removed:
        delete node;  // the tree selects another node, which refills the list
        break;
    case FolderDelete::stopped:
        // Part of the directory may be gone: show what is left.
        RefreshNode(node, NodePath(*node), RefreshMode::treeAndList, true);
        ReportAppMessage(msgDeleteStopped);
        break;
    }
}

void CDeviceTreeCtrl::OnDeleteRows()
{
    CCommandInProgress busy;
    QTreeWidgetItem* selected = currentItem();
    if (ListView() == nullptr)
        return;
    if (selected == nullptr) {
        if (!SelectedListRows().empty())
            ReportAppMessage(msgNothingSelected);
        return;
    }
    if (session_.DeleteRows(FolderOf(*selected), SelectedListRows()))
        RefreshNode(selected, NodePath(*selected), RefreshMode::treeAndList, true);
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
    if (dialog.exec() == QDialog::Accepted &&
        session_.DeleteModuleNamed(dialog.ModuleName().toStdString()))
        RefreshTop();
}

void CDeviceTreeCtrl::OnCopyFromDevice()
{
    CCommandInProgress busy;
    CCopyFromPhoneDialog* dialog = CopyFromPhoneDialog();
    QTreeWidgetItem* selected = currentItem();
    const CDeviceFolder folder = selected ? FolderOf(*selected) : CDeviceFolder();
    std::optional<std::string> preset;
    if (!session_.CopyFromDevicePreset(selected ? &folder : nullptr, SelectedListRows(), preset))
        return;
    if (preset)
        dialog->SetDeviceFile(QString::fromStdString(*preset));
    if (dialog->DestinationDirectory().isEmpty())
        dialog->SetDestinationDirectory(QDir::currentPath());
    if (dialog->exec() == QDialog::Accepted)
        session_.CopyFromDevice(dialog->DeviceFile().toStdString(),
                                dialog->DestinationDirectory().toStdString());
}

void CDeviceTreeCtrl::OnReset()
{
    CCommandInProgress busy;
    session_.Reset();
}

void CDeviceTreeCtrl::OnOffline()
{
    CCommandInProgress busy;
    session_.Offline();
}

void CDeviceTreeCtrl::OnListRowActivated()
{
    const std::vector<CListRow> rows = SelectedListRows();
    if (rows.size() != 1 || rows.front().kind == ItemKind::file)
        return;
    CCommandInProgress busy;
    OpenSubdirectory(QString::fromStdString(rows.front().name));
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
