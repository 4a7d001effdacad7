#include "ui/device_tree_ctrl.h"

#include <QHeaderView>

#include "ui/pictures.h"

namespace {

// The unread child that gives a directory its expand button until it is listed.
void AddPlaceholder(QTreeWidgetItem* node)
{
    node->addChild(new QTreeWidgetItem(QStringList(QString())));
}

QTreeWidgetItem* MakeDirectoryItem(const QString& label)
{
    auto* item = new QTreeWidgetItem(QStringList(label));
    QIcon icon;
    icon.addPixmap(ClosedFolderIcon().pixmap(16, 16), QIcon::Normal, QIcon::Off);
    icon.addPixmap(OpenFolderIcon().pixmap(16, 16), QIcon::Selected, QIcon::Off);
    item->setIcon(0, icon);
    return item;
}

}  // namespace

CDeviceTreeCtrl::CDeviceTreeCtrl(QWidget* parent) : QTreeWidget(parent)
{
    setObjectName(QStringLiteral("deviceTree"));
    setColumnCount(1);
    header()->hide();
    setRootIsDecorated(true);  // lines and buttons at the top level too
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragEnabled(false);
    setSortingEnabled(false);
}

QTreeWidgetItem* CDeviceTreeCtrl::TopNode() const
{
    return topLevelItemCount() > 0 ? topLevelItem(0) : nullptr;
}

QTreeWidgetItem* CDeviceTreeCtrl::ResetToTopNode()
{
    clear();
    QTreeWidgetItem* top = MakeDirectoryItem(QStringLiteral("/"));
    addTopLevelItem(top);
    AddPlaceholder(top);
    return top;
}

QTreeWidgetItem* CDeviceTreeCtrl::AddDirectoryNode(QTreeWidgetItem* parent, const QString& label)
{
    QTreeWidgetItem* node = MakeDirectoryItem(label);
    parent->addChild(node);
    AddPlaceholder(node);
    return node;
}

std::string CDeviceTreeCtrl::NodePath(const QTreeWidgetItem& node,
                                      const std::string& rootPath) const
{
    return GetNodePath(node, rootPath);
}

QTreeWidgetItem* CDeviceTreeCtrl::NodeByPath(const std::string& dialogPath,
                                             const std::string& rootPath) const
{
    const QTreeWidgetItem* top = TopNode();
    if (!top)
        return nullptr;
    return const_cast<QTreeWidgetItem*>(FindNodeByPath(*top, dialogPath, rootPath));
}
