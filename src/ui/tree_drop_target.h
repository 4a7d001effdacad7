// Drops of desktop files and folders on a tree's nodes. It watches the tree's viewport: a drag
// that hovers a node marks it as the target, a drop on a node hands the paths on, and a drop
// anywhere else in the pane does nothing. The mark also keeps the selected node visible as the
// target while the focus is elsewhere.
#pragma once

#include <QObject>
#include <QPersistentModelIndex>
#include <QStringList>

class QTreeWidget;
class QTreeWidgetItem;

class CTreeDropTarget : public QObject {
    Q_OBJECT
public:
    explicit CTreeDropTarget(QTreeWidget* tree);

    // Marks node (nullptr: none) as the target.
    void SetHighlight(QTreeWidgetItem* node);

signals:
    void Dropped(const QStringList& pcPaths, QTreeWidgetItem* node);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTreeWidget* tree_;
    QPersistentModelIndex highlight_;
};
