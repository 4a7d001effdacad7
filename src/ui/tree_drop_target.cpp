#include "ui/tree_drop_target.h"

#include <QDropEvent>
#include <QTreeWidget>

#include "ui/dragged_files.h"
#include "ui/tree_items.h"

CTreeDropTarget::CTreeDropTarget(QTreeWidget* tree) : QObject(tree), tree_(tree)
{
    tree->setAcceptDrops(true);
    tree->viewport()->setAcceptDrops(true);
    tree->viewport()->installEventFilter(this);
}

void CTreeDropTarget::SetHighlight(QTreeWidgetItem* node)
{
    if (QTreeWidgetItem* old = highlight_.isValid() ? tree_->itemFromIndex(highlight_) : nullptr)
        old->setBackground(0, QBrush());
    highlight_ = QPersistentModelIndex();
    if (node == nullptr)
        return;
    node->setBackground(0, tree_->palette().brush(QPalette::Inactive, QPalette::Highlight));
    highlight_ = QPersistentModelIndex(tree_->indexFromItem(node));
}

bool CTreeDropTarget::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
        AcceptLocalFiles(static_cast<QDropEvent*>(event));
        return true;
    case QEvent::DragMove:
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        QTreeWidgetItem* node = tree_->itemAt(drop->position().toPoint());
        // Only a node is a target; anywhere else in the pane a drop does nothing.
        if (!IsListedNode(node)) {
            drop->ignore();
            return true;
        }
        const QStringList paths = AcceptLocalFiles(drop);
        if (paths.isEmpty())
            return true;
        SetHighlight(node);
        if (event->type() == QEvent::Drop)
            emit Dropped(paths, node);
        return true;
    }
    case QEvent::DragLeave:
        SetHighlight(tree_->currentItem());
        event->accept();
        return true;
    default:
        return QObject::eventFilter(watched, event);
    }
}
