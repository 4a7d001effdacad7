// The device tree's items: directory nodes with their folder icons and the unread placeholder
// child that gives a node its expand button until it is listed, and the access that lets the
// path rules (session/node_paths.h) walk them.
#pragma once

#include <QTreeWidgetItem>
#include <cstddef>
#include <string>

#include "session/node_paths.h"

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

// A directory node labelled label with its unread placeholder child.
QTreeWidgetItem* MakeDirectoryNode(const QString& label);

// Whether item is a listed node rather than an unread placeholder.
inline bool IsListedNode(const QTreeWidgetItem* item)
{
    return item != nullptr && !item->text(0).isEmpty();
}

// Expands the tree from top down the folders of path ("a/b/", below top) as far as they exist,
// each listed as it opens, and returns the deepest node reached (top when none matched).
QTreeWidgetItem* OpenNodePath(QTreeWidgetItem* top, std::string path);
