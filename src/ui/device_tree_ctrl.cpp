#include "ui/device_tree_ctrl.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QHeaderView>
#include <QTimer>

#include "report/reporter.h"
#include "efs/efs_paths.h"
#include "ui/connection_status.h"
#include "ui/copy_to_device_dialogs.h"
#include "ui/device_command_dialogs.h"
#include "ui/device_time.h"
#include "ui/dragged_files.h"
#include "ui/list_view.h"
#include "ui/pictures.h"
#include "ui/size_display_mode.h"
#include "ui/wait_dialog.h"

namespace {

constexpr int connectionWatchMs = 500;

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

class CWaitCursor {
public:
    CWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~CWaitCursor() { QApplication::restoreOverrideCursor(); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};

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
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);

    session_.SetWaitShower(WindowWaitShower());
    timer_ = new QTimer(this);
    timer_->setInterval(connectionWatchMs);
    connect(timer_, &QTimer::timeout, this, &CDeviceTreeCtrl::OnTimer);
    connect(this, &QTreeWidget::itemExpanded, this, &CDeviceTreeCtrl::OnItemExpandedOrCollapsed);
    connect(this, &QTreeWidget::itemCollapsed, this, &CDeviceTreeCtrl::OnItemExpandedOrCollapsed);
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { OnCurrentItemChanged(current); });
}

// Out of line: the dialogs are complete types here.
CDeviceTreeCtrl::~CDeviceTreeCtrl() = default;

void CDeviceTreeCtrl::SetListView(CTarlo32View* list)
{
    list_ = list;
}

CTarlo32View* CDeviceTreeCtrl::ListView() const
{
    return list_;
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

std::string CDeviceTreeCtrl::NodePath(const QTreeWidgetItem& node) const
{
    return GetNodePath(node, rootPath_);
}

QTreeWidgetItem* CDeviceTreeCtrl::NodeByPath(const std::string& dialogPath,
                                             const std::string& rootPath) const
{
    const QTreeWidgetItem* top = TopNode();
    if (!top)
        return nullptr;
    return const_cast<QTreeWidgetItem*>(FindNodeByPath(*top, dialogPath, rootPath));
}

QTreeWidgetItem* CDeviceTreeCtrl::NodeByPath(const std::string& dialogPath) const
{
    return NodeByPath(dialogPath, DeviceRootPath);
}

bool CDeviceTreeCtrl::Populate()
{
    QTreeWidgetItem* top = ResetToTopNode();
    SetDropHighlight(top);
    rootPath_ = DeviceRootPath;
    if (!timer_->isActive())
        timer_->start();
    session_.MarkModulesStale();
    // The size items follow the statistics of this connection.
    emit CommandStatesChanged();
    return true;
}

void CDeviceTreeCtrl::ExpandAndSelectTop()
{
    QTreeWidgetItem* top = TopNode();
    if (!top)
        return;
    top->setExpanded(true);
    setCurrentItem(top);
}

void CDeviceTreeCtrl::RefreshNode(QTreeWidgetItem* node, const std::string& path,
                                  RefreshMode mode, bool clearChildren)
{
    std::string directory = path;
    bool rootListed = false;
    if (node == nullptr || directory.empty()) {
        directory = DeviceRootPath;
        rootListed = true;
    }
    if (clearChildren && node != nullptr)
        qDeleteAll(node->takeChildren());
    if (node != nullptr && node == TopNode())
        listShowsRoot_ = true;
    else if (!rootListed)
        listShowsRoot_ = false;

    CTarlo32View* list = ListView();
    if (list == nullptr) {
        ReportAppMessage(msgNoListPane);
        return;
    }
    const bool toTree = mode != RefreshMode::listOnly && node != nullptr;
    const bool toList = mode != RefreshMode::treeOnly;
    if (toList)
        list->DeleteAllItems();
    const CDirectoryListing listing =
        session_.List(directory, toList, listShowsRoot_, SizeDisplayMode);
    if (toTree) {
        for (const std::string& name : listing.subdirectories)
            AddDirectoryNode(node, QString::fromStdString(name));
    }
    for (const CDeviceRow& row : listing.rows)
        list->AddItem(QString::fromStdString(row.name), row.size, row.kind,
                      row.modified ? QString::fromStdString(FormatDeviceTime(*row.modified))
                                   : QString());
}

CDeviceFolder CDeviceTreeCtrl::FolderOf(const QTreeWidgetItem& node) const
{
    return {NodePath(node), &node == TopNode(), {}};
}

std::vector<CListRow> CDeviceTreeCtrl::SelectedListRows() const
{
    CTarlo32View* list = ListView();
    return list != nullptr ? list->SelectedListRows() : std::vector<CListRow>();
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
    if (current == nullptr || current->text(0).isEmpty())
        return;
    SetDropHighlight(current);
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
    const std::string path = DialogFormOf(NodePath(*selected)) + name.toStdString() + "/";
    return NodeByPath(path);
}

void CDeviceTreeCtrl::OpenSubdirectory(const QString& name)
{
    if (QTreeWidgetItem* node = SubdirectoryNode(name))
        setCurrentItem(node);
}

QTreeWidgetItem* CDeviceTreeCtrl::DropHighlightedNode() const
{
    return dropHighlight_.isValid() ? itemFromIndex(dropHighlight_) : nullptr;
}

void CDeviceTreeCtrl::SetDropHighlight(QTreeWidgetItem* node)
{
    if (QTreeWidgetItem* old = DropHighlightedNode())
        old->setBackground(0, QBrush());
    dropHighlight_ = QPersistentModelIndex();
    if (node == nullptr)
        return;
    // Keeps the node visible as the target while the focus is elsewhere or a drag hovers.
    node->setBackground(0, palette().brush(QPalette::Inactive, QPalette::Highlight));
    dropHighlight_ = QPersistentModelIndex(indexFromItem(node));
}

void CDeviceTreeCtrl::dragEnterEvent(QDragEnterEvent* event)
{
    if (LocalFiles(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void CDeviceTreeCtrl::dragMoveEvent(QDragMoveEvent* event)
{
    QTreeWidgetItem* node = itemAt(event->position().toPoint());
    if (node == nullptr || node->text(0).isEmpty() || LocalFiles(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    SetDropHighlight(node);
    event->acceptProposedAction();
}

void CDeviceTreeCtrl::dragLeaveEvent(QDragLeaveEvent* event)
{
    SetDropHighlight(currentItem());
    event->accept();
}

void CDeviceTreeCtrl::dropEvent(QDropEvent* event)
{
    QTreeWidgetItem* node = itemAt(event->position().toPoint());
    const QStringList paths = LocalFiles(event->mimeData());
    // Only a drop on a node counts; anywhere else in the pane it does nothing.
    if (node == nullptr || node->text(0).isEmpty() || paths.isEmpty()) {
        event->ignore();
        return;
    }
    SetDropHighlight(node);
    event->acceptProposedAction();
    DropItems(paths, node);
}

void CDeviceTreeCtrl::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete)
        OnDeleteDirectory(true);
    QTreeWidget::keyPressEvent(event);
}

void CDeviceTreeCtrl::contextMenuEvent(QContextMenuEvent* event)
{
    ShowTreeContextMenu(event->globalPos());
}

CNewFileDialog* CDeviceTreeCtrl::NewFileDialog()
{
    if (!newFileDialog_)
        newFileDialog_ = std::make_unique<CNewFileDialog>(this);
    return newFileDialog_.get();
}

CNewModuleDialog* CDeviceTreeCtrl::NewModuleDialog()
{
    if (!newModuleDialog_)
        newModuleDialog_ = std::make_unique<CNewModuleDialog>(this);
    return newModuleDialog_.get();
}

CCopyFromPhoneDialog* CDeviceTreeCtrl::CopyFromPhoneDialog()
{
    if (!copyFromPhoneDialog_)
        copyFromPhoneDialog_ = std::make_unique<CCopyFromPhoneDialog>(this);
    return copyFromPhoneDialog_.get();
}
