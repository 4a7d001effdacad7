#include "ui/list_view.h"

#include <QContextMenuEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListView>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

#include "session/node_paths.h"
#include "ui/device_time.h"
#include "ui/dragged_files.h"
#include "ui/pictures.h"

namespace {

struct CColumnSpec {
    const char* heading;
    Qt::Alignment alignment;
    int width;
};

const CColumnSpec columns[columnCount] = {
    {"Name", Qt::AlignLeft, 150},
    {"Size", Qt::AlignRight, 110},
    {"Type", Qt::AlignLeft, 100},
    {"Modified", Qt::AlignLeft, 120},
};

}  // namespace

FolderKey FolderKeyOf(const QKeyEvent& key)
{
    const bool alt = key.modifiers() & Qt::AltModifier;
    switch (key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return FolderKey::open;
    case Qt::Key_Backspace:
        return FolderKey::parent;
    case Qt::Key_Up:
        return alt ? FolderKey::parent : FolderKey::none;
    case Qt::Key_F5:
        return FolderKey::refresh;
    case Qt::Key_Delete:
        return FolderKey::remove;
    default:
        return FolderKey::none;
    }
}

QString SizeText(std::int64_t size)
{
    if (size == -1)
        return QString();
    return QStringLiteral("%1 bytes").arg(size);
}

CTarlo32View::CTarlo32View(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("listView"));
    model_ = new QStandardItemModel(0, columnCount, this);
    for (int column = 0; column < columnCount; ++column) {
        auto* heading = new QStandardItem(QString::fromLatin1(columns[column].heading));
        heading->setTextAlignment(columns[column].alignment | Qt::AlignVCenter);
        model_->setHorizontalHeaderItem(column, heading);
    }

    iconView_ = new QListView(this);
    iconView_->setObjectName(QStringLiteral("iconView"));
    iconView_->setModel(model_);
    iconView_->setModelColumn(columnName);
    iconView_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    iconView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    iconView_->setIconSize(QSize(16, 16));  // every mode shows the small pictures

    detailsView_ = new QTreeView(this);
    detailsView_->setObjectName(QStringLiteral("detailsView"));
    detailsView_->setModel(model_);
    detailsView_->setSelectionModel(iconView_->selectionModel());
    detailsView_->setRootIsDecorated(false);
    detailsView_->setItemsExpandable(false);
    detailsView_->setUniformRowHeights(true);
    detailsView_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    detailsView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Rows stay in the device's order: a header click neither sorts nor marks a column.
    detailsView_->setSortingEnabled(false);
    detailsView_->header()->setSectionsClickable(false);
    detailsView_->header()->setSortIndicatorShown(false);
    detailsView_->header()->setStretchLastSection(false);
    for (int column = 0; column < columnCount; ++column)
        detailsView_->setColumnWidth(column, columns[column].width);

    stack_ = new QStackedWidget(this);
    stack_->addWidget(iconView_);
    stack_->addWidget(detailsView_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(stack_);

    connect(iconView_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CTarlo32View::SelectionChanged);
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(iconView_),
                                    static_cast<QAbstractItemView*>(detailsView_)}) {
        connect(view, &QAbstractItemView::doubleClicked, this, &CTarlo32View::RowActivated);
        view->setDragDropMode(QAbstractItemView::DropOnly);
        view->setAcceptDrops(true);
        view->viewport()->setAcceptDrops(true);
        view->setContextMenuPolicy(Qt::DefaultContextMenu);
        view->installEventFilter(this);
        view->viewport()->installEventFilter(this);
    }
    SetMode(ViewMode::details);
}

void CTarlo32View::AddItem(const QString& name, std::int64_t size, ItemKind kind,
                           const QString& modified)
{
    QList<QStandardItem*> row;
    auto* nameItem = new QStandardItem(kind == ItemKind::file ? FileIcon() : ClosedFolderIcon(),
                                       name);
    auto* sizeItem = new QStandardItem(SizeText(size));
    sizeItem->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row << nameItem << sizeItem << new QStandardItem(QString::fromLatin1(ItemKindText(kind)))
        << new QStandardItem(modified);
    for (QStandardItem* item : row)
        item->setEditable(false);
    model_->appendRow(row);
}

void CTarlo32View::DeleteAllItems()
{
    model_->removeRows(0, model_->rowCount());
}

int CTarlo32View::RowCount() const
{
    return model_->rowCount();
}

QString CTarlo32View::Text(int row, ListColumn column) const
{
    const QStandardItem* item = model_->item(row, column);
    return item ? item->text() : QString();
}

std::vector<int> CTarlo32View::SelectedRows() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : Selection()->selectedRows(columnName))
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

std::vector<ItemKind> CTarlo32View::SelectedRowKinds() const
{
    std::vector<ItemKind> kinds;
    for (int row : SelectedRows()) {
        if (auto kind = ItemKindFromText(Text(row, columnType).toStdString()))
            kinds.push_back(*kind);
    }
    return kinds;
}

void CTarlo32View::FitColumns()
{
    const QAbstractItemView* view = detailsView_;
    for (int column = 0; column < columnCount; ++column)
        detailsView_->setColumnWidth(
            column, std::max({columns[column].width, view->sizeHintForColumn(column),
                              detailsView_->header()->sectionSizeHint(column)}));
}

void CTarlo32View::ShowRows(const std::vector<CDeviceRow>& rows)
{
    DeleteAllItems();
    for (const CDeviceRow& row : rows)
        AddItem(QString::fromStdString(row.name), row.size, row.kind,
                row.modified ? QString::fromStdString(FormatDeviceTime(*row.modified)) : QString());
    FitColumns();
}

void CTarlo32View::ShowModules(const std::vector<ModuleEntry>& modules, bool withSizes)
{
    DeleteAllItems();
    for (const ModuleEntry& module : modules)
        AddItem(QString::fromStdString(LastPathComponent(module.name)),
                withSizes ? module.size : -1, ItemKind::module, QString());
    FitColumns();
}

std::vector<CListRow> CTarlo32View::SelectedListRows() const
{
    std::vector<CListRow> rows;
    for (int row : SelectedRows()) {
        if (auto kind = ItemKindFromText(Text(row, columnType).toStdString()))
            rows.push_back({Text(row, columnName).toStdString(), *kind});
    }
    return rows;
}

QItemSelectionModel* CTarlo32View::Selection() const
{
    return iconView_->selectionModel();
}

void CTarlo32View::SetMode(ViewMode mode)
{
    mode_ = mode;
    switch (mode) {
    case ViewMode::largeIcons:
        iconView_->setViewMode(QListView::IconMode);
        iconView_->setFlow(QListView::LeftToRight);
        iconView_->setGridSize(QSize(96, 56));
        break;
    case ViewMode::smallIcons:
        iconView_->setViewMode(QListView::ListMode);
        iconView_->setFlow(QListView::LeftToRight);
        iconView_->setGridSize(QSize(160, 20));
        break;
    case ViewMode::list:
        iconView_->setViewMode(QListView::ListMode);
        iconView_->setFlow(QListView::TopToBottom);
        iconView_->setGridSize(QSize());
        break;
    case ViewMode::details:
        break;
    }
    if (mode != ViewMode::details) {
        iconView_->setWrapping(true);
        iconView_->setResizeMode(QListView::Adjust);
        iconView_->setMovement(mode == ViewMode::largeIcons ? QListView::Snap
                                                            : QListView::Static);
    }
    stack_->setCurrentWidget(mode == ViewMode::details ? static_cast<QWidget*>(detailsView_)
                                                       : static_cast<QWidget*>(iconView_));
}

void CTarlo32View::ArrangeIcons()
{
    if (mode_ == ViewMode::largeIcons || mode_ == ViewMode::smallIcons)
        iconView_->doItemsLayout();
}

bool CTarlo32View::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
        AcceptLocalFiles(static_cast<QDropEvent*>(event));
        return true;
    case QEvent::Drop:
        if (const QStringList paths = AcceptLocalFiles(static_cast<QDropEvent*>(event));
            !paths.isEmpty())
            emit FilesDropped(paths);
        return true;
    case QEvent::KeyPress:
        switch (FolderKeyOf(*static_cast<QKeyEvent*>(event))) {
        case FolderKey::none:
            break;
        case FolderKey::open:
            emit RowActivated();
            return true;
        case FolderKey::parent:
            emit ParentFolderRequested();
            return true;
        case FolderKey::refresh:
            emit RefreshRequested();
            return true;
        case FolderKey::remove:
            emit DeleteKeyPressed();
            return true;
        }
        break;
    case QEvent::ContextMenu:
        emit ContextMenuRequested(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}
