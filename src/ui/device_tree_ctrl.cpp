#include "ui/device_tree_ctrl.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QTimer>
#include <algorithm>

#include "efs/efs_paths.h"
#include "report/reporter.h"
#include "session/connection_status.h"
#include "session/size_display_mode.h"
#include "ui/list_view.h"
#include "ui/tree_drop_target.h"
#include "ui/wait_dialog.h"

CDeviceTreeCtrl::CDeviceTreeCtrl(QWidget* parent)
    : QTreeWidget(parent), dropTarget_(new CTreeDropTarget(this)),
      connection_(this, session_),
      dialogCommands_(
          this, session_,
          [this](const std::string& path) { return TopNode() && NodeByPath(path) == TopNode(); },
          [this](const std::string& path) { ShowCreated(path); })
{
    setObjectName(QStringLiteral("deviceTree"));
    setColumnCount(1);
    header()->hide();
    setRootIsDecorated(true);  // lines and buttons at the top level too
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragEnabled(false);
    setSortingEnabled(false);
    session_.SetWaitShower(WindowWaitShower());
    connect(&connection_, &CWindowConnection::ConnectionAttempted, this,
            &CDeviceTreeCtrl::ConnectionAttempted);
    connect(&connection_, &CWindowConnection::ConnectionStatusChanged, this,
            &CDeviceTreeCtrl::ConnectionStatusChanged);
    connect(&connection_, &CWindowConnection::Disconnected, this, &CDeviceTreeCtrl::ShowDisconnected);
    connect(&connection_, &CWindowConnection::Connected, this,
            &CDeviceTreeCtrl::PopulateBehindWaitWindow);
    connect(&connection_, &CWindowConnection::Reconnected, this, &CDeviceTreeCtrl::OnReconnected);
    connect(dropTarget_, &CTreeDropTarget::Dropped, this, &CDeviceTreeCtrl::DropItems);
    connect(this, &QTreeWidget::itemExpanded, this, &CDeviceTreeCtrl::OnItemExpandedOrCollapsed);
    connect(this, &QTreeWidget::itemCollapsed, this, &CDeviceTreeCtrl::OnItemExpandedOrCollapsed);
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { OnCurrentItemChanged(current); });
}

void CDeviceTreeCtrl::SetListView(CTarlo32View* list)
{
    list_ = list;
}

QTreeWidgetItem* CDeviceTreeCtrl::TopNode() const
{
    return topLevelItemCount() > 0 ? topLevelItem(0) : nullptr;
}

QTreeWidgetItem* CDeviceTreeCtrl::NodeByPath(const std::string& dialogPath) const
{
    const QTreeWidgetItem* top = TopNode();
    return top ? const_cast<QTreeWidgetItem*>(FindNodeByPath(*top, dialogPath, DeviceRootPath))
               : nullptr;
}

bool CDeviceTreeCtrl::Populate()
{
    clear();
    addTopLevelItem(MakeDirectoryNode(QStringLiteral("/")));
    dropTarget_->SetHighlight(TopNode());
    rootPath_ = DeviceRootPath;
    if (!ConnectionTimer()->isActive())
        ConnectionTimer()->start();
    session_.MarkModulesStale();
    // The size items follow the statistics of this connection.
    emit CommandStatesChanged();
    return true;
}

void CDeviceTreeCtrl::ExpandAndSelectTop()
{
    if (QTreeWidgetItem* top = TopNode()) {
        top->setExpanded(true);
        setCurrentItem(top);
    }
}

void CDeviceTreeCtrl::RefreshNode(QTreeWidgetItem* node, const std::string& path,
                                  RefreshMode mode, bool clearChildren)
{
    const bool rootListed = node == nullptr || path.empty();
    if (clearChildren && node != nullptr)
        qDeleteAll(node->takeChildren());
    if (node != nullptr && node == TopNode())
        listShowsRoot_ = true;
    else if (!rootListed)
        listShowsRoot_ = false;
    if (list_ == nullptr) {
        ReportAppMessage(msgNoListPane);
        return;
    }
    const bool toList = mode != RefreshMode::treeOnly;
    if (toList)
        list_->DeleteAllItems();
    const CDirectoryListing listing = session_.List(rootListed ? DeviceRootPath : path, toList,
                                                    listShowsRoot_, SizeDisplayMode);
    if (mode != RefreshMode::listOnly && node != nullptr) {
        for (const std::string& name : listing.subdirectories)
            node->addChild(MakeDirectoryNode(QString::fromStdString(name)));
    }
    if (toList)
        list_->ShowRows(listing.rows);
}

std::vector<CListRow> CDeviceTreeCtrl::SelectedListRows() const
{
    return list_ != nullptr ? list_->SelectedListRows() : std::vector<CListRow>();
}

void CDeviceTreeCtrl::OnItemExpandedOrCollapsed(QTreeWidgetItem* node)
{
    if (node == nullptr)
        return;
    CCommandInProgress busy;
    RefreshNode(node, NodePath(*node), RefreshMode::treeOnly, true);
}

void CDeviceTreeCtrl::OnCurrentItemChanged(QTreeWidgetItem* current)
{
    if (!IsListedNode(current))
        return;
    dropTarget_->SetHighlight(current);
    CCommandInProgress busy;
    CWaitCursor hourglass;
    RefreshNode(current, NodePath(*current), RefreshMode::listOnly, false);
}

QTreeWidgetItem* CDeviceTreeCtrl::SubdirectoryNode(const QString& name)
{
    QTreeWidgetItem* selected = currentItem();
    if (selected == nullptr)
        return nullptr;
    selected->setExpanded(true);
    return NodeByPath(DialogFormOf(NodePath(*selected)) + name.toStdString() + "/");
}

void CDeviceTreeCtrl::keyPressEvent(QKeyEvent* event)
{
    switch (FolderKeyOf(*event)) {
    case FolderKey::parent:
        return OpenParentFolder();
    case FolderKey::refresh:
        return RefreshSelected();
    case FolderKey::remove:
        OnDeleteDirectory(true);
        break;
    case FolderKey::open:
    case FolderKey::none:
        break;
    }
    QTreeWidget::keyPressEvent(event);
}

void CDeviceTreeCtrl::OpenParentFolder()
{
    if (QTreeWidgetItem* node = currentItem(); node != nullptr && node->parent() != nullptr)
        setCurrentItem(node->parent());
}

void CDeviceTreeCtrl::RefreshSelected()
{
    CCommandInProgress busy;
    if (QTreeWidgetItem* node = currentItem())
        RefreshNode(node, NodePath(*node), RefreshMode::treeAndList, true);
}

void CDeviceTreeCtrl::contextMenuEvent(QContextMenuEvent* event)
{
    ShowTreeContextMenu(event->globalPos());
}

void CDeviceTreeCtrl::PopulateBehindWaitWindow()
{
    CWaitScope wait(msgRetrievingInformation);
    Populate();
    ExpandAndSelectTop();
}

void CDeviceTreeCtrl::ShowDisconnected()
{
    lostSelection_ = currentItem() ? NodePath(*currentItem()) : std::string();
    clear();
    if (list_ != nullptr)
        list_->DeleteAllItems();
    emit ConnectionStatusChanged(0, 0);
    emit CommandStatesChanged();
}

void CDeviceTreeCtrl::OnReconnected()
{
    PopulateBehindWaitWindow();
    if (QTreeWidgetItem* node = OpenNodePath(
            TopNode(), lostSelection_.substr(std::min(rootPath_.size(), lostSelection_.size()))))
        setCurrentItem(node);
}
