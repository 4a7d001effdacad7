#include "ui/tree_items.h"

#include <QIcon>

#include "ui/pictures.h"

QTreeWidgetItem* MakeDirectoryNode(const QString& label)
{
    auto* item = new QTreeWidgetItem(QStringList(label));
    QIcon icon;
    icon.addPixmap(ClosedFolderIcon().pixmap(16, 16), QIcon::Normal, QIcon::Off);
    icon.addPixmap(OpenFolderIcon().pixmap(16, 16), QIcon::Selected, QIcon::Off);
    item->setIcon(0, icon);
    item->addChild(new QTreeWidgetItem(QStringList(QString())));
    return item;
}

QTreeWidgetItem* OpenNodePath(QTreeWidgetItem* top, std::string path)
{
    QTreeWidgetItem* node = top;
    for (std::size_t slash; node != nullptr && (slash = path.find('/')) != std::string::npos;
         path.erase(0, slash + 1)) {
        node->setExpanded(true);
        QTreeWidgetItem* child = nullptr;
        for (int i = 0; i < node->childCount() && child == nullptr; ++i) {
            if (node->child(i)->text(0).toStdString() == path.substr(0, slash))
                child = node->child(i);
        }
        if (child == nullptr)
            break;
        node = child;
    }
    return node;
}
