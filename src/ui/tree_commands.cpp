// The device commands as the window runs them: each reads the selection or runs its dialog,
// lets the session decide and act, and shows the result in the tree and the list.
#include <QApplication>

#include "efs/efs_paths.h"
#include "report/reporter.h"
#include "session/command_table.h"
#include "session/connection_status.h"
#include "session/drop_placement.h"
#include "session/menu_rules.h"
#include "ui/device_tree_ctrl.h"
#include "ui/list_view.h"

namespace {

std::vector<std::string> PathsOf(const QStringList& pcPaths)
{
    std::vector<std::string> paths;
    for (const QString& path : pcPaths)
        paths.push_back(path.toStdString());
    return paths;
}

}  // namespace

void CDeviceTreeCtrl::DropItems(const QStringList& pcPaths, QTreeWidgetItem* target)
{
    if (target == nullptr || pcPaths.isEmpty())
        return;
    CCommandInProgress busy;
    const QPersistentModelIndex targetIndex(indexFromItem(target));
    const bool changed = session_.Drop(PathsOf(pcPaths), FolderOf(*target)).changed;
    // Whatever the copy's own refreshes rebuilt, the target is shown again if it is still there.
    if (QTreeWidgetItem* node = itemFromIndex(targetIndex); changed && node != nullptr)
        RefreshNode(node, NodePath(*node), RefreshMode::treeAndList, true);
}

void CDeviceTreeCtrl::DropOnList(const QStringList& pcPaths)
{
    QTreeWidgetItem* selected = currentItem();
    if (list_ == nullptr || selected == nullptr || pcPaths.isEmpty())
        return;
    const std::optional<CDeviceFolder> target =
        session_.ListDropTarget(FolderOf(*selected), SelectedListRows());
    if (!target)
        return;
    CCommandInProgress busy;
    if (!session_.Drop(PathsOf(pcPaths), *target).changed)
        return;
    // The target is shown again: the selected folder, or the row's folder below it.
    QTreeWidgetItem* node = target->rowName.empty()
                                ? currentItem()
                                : SubdirectoryNode(QString::fromStdString(target->rowName));
    if (node != nullptr)
        RefreshNode(node, NodePath(*node), RefreshMode::treeAndList, true);
}

void CDeviceTreeCtrl::RunFromSelection(DialogCommand command, bool opensFolder)
{
    CCommandInProgress busy;
    QTreeWidgetItem* selected = currentItem();
    if (opensFolder && selected != nullptr && list_ == nullptr)
        return ReportAppMessage(msgNoListPane);
    const CDeviceFolder folder = selected ? FolderOf(*selected) : CDeviceFolder();
    const std::vector<CListRow> rows = SelectedListRows();
    if (opensFolder && selected != nullptr)
        selected->setExpanded(true);
    (dialogCommands_.*command)(selected ? &folder : nullptr, rows);
}

// Lists the directory path names or lies in again, and selects its node.
void CDeviceTreeCtrl::ShowCreated(const std::string& path)
{
    if (QTreeWidgetItem* node = NodeByPath(path)) {
        RefreshNode(node, ContainingDirectory(path), RefreshMode::treeAndList, true);
        setCurrentItem(node);
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
    if (dialogCommands_.NewModule())
        RefreshTop();
}

void CDeviceTreeCtrl::OnDelete()
{
    if (listContextMenuOpen_ || (list_ && list_->isAncestorOf(QApplication::focusWidget())))
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
    dialogCommands_.ModuleList(list_, currentItem() != nullptr && currentItem() == TopNode(), [this] {
        if (QTreeWidgetItem* top = TopNode())
            setCurrentItem(top);
    });
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
        break;
    }
}

void CDeviceTreeCtrl::OnDeleteRows()
{
    CCommandInProgress busy;
    QTreeWidgetItem* selected = currentItem();
    if (selected != nullptr && session_.DeleteRows(FolderOf(*selected), SelectedListRows()))
        RefreshNode(selected, NodePath(*selected), RefreshMode::treeAndList, true);
}

void CDeviceTreeCtrl::OnDeleteModule()
{
    CCommandInProgress busy;
    if (dialogCommands_.DeleteModule(list_))
        RefreshTop();
}

void CDeviceTreeCtrl::OnListRowActivated()
{
    const std::vector<CListRow> rows = SelectedListRows();
    if (rows.size() != 1 || rows.front().kind == ItemKind::file)
        return;
    CCommandInProgress busy;
    if (QTreeWidgetItem* node = SubdirectoryNode(QString::fromStdString(rows.front().name)))
        setCurrentItem(node);
}

void CDeviceTreeCtrl::ShowTreeContextMenu(const QPoint& globalPosition)
{
    emit ContextMenuRequested(TreeContextMenu(), TopOrNoneSelected(), globalPosition);
}

void CDeviceTreeCtrl::ShowListContextMenu(const QPoint& globalPosition)
{
    if (list_ == nullptr)
        return;
    // A Delete chosen here deletes the list's rows, wherever the focus is.
    listContextMenuOpen_ = true;
    emit ContextMenuRequested(ListContextMenuItems(ListContextMenuFor(list_->SelectedRowKinds())),
                              TopOrNoneSelected(), globalPosition);
    listContextMenuOpen_ = false;
}
