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
