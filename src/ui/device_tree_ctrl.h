// The tree of the device's directories. Items carry only their label; a node's device path is
// rebuilt from the labels up to the top node "/" (see node_paths.h).
#pragma once

#include <QTreeWidget>

#include "ui/node_paths.h"

// Lets the path rules walk the tree widget's items.
template <>
struct NodeAccess<QTreeWidgetItem> {
    static std::string Label(const QTreeWidgetItem& item) { return item.text(0).toStdString(); }
    static const QTreeWidgetItem* Parent(const QTreeWidgetItem& item) { return item.parent(); }
    static std::size_t ChildCount(const QTreeWidgetItem& item)
    {
        return static_cast<std::size_t>(item.childCount());
    }
    static const QTreeWidgetItem* Child(const QTreeWidgetItem& item, std::size_t index)
    {
        return item.child(static_cast<int>(index));
    }
};

class CDeviceTreeCtrl : public QTreeWidget {
    Q_OBJECT
public:
    explicit CDeviceTreeCtrl(QWidget* parent = nullptr);

    // The top node "/" (the device root), or nullptr while the tree is empty.
    QTreeWidgetItem* TopNode() const;

    // Replaces the tree's content by the top node "/" with its unread placeholder child.
    QTreeWidgetItem* ResetToTopNode();

    // Adds a directory node labelled label under parent, with its unread placeholder child.
    QTreeWidgetItem* AddDirectoryNode(QTreeWidgetItem* parent, const QString& label);

    std::string NodePath(const QTreeWidgetItem& node, const std::string& rootPath) const;
    QTreeWidgetItem* NodeByPath(const std::string& dialogPath, const std::string& rootPath) const;
};
