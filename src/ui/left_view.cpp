#include "ui/left_view.h"

#include <QVBoxLayout>

#include "ui/device_tree_ctrl.h"

CLeftView::CLeftView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("leftView"));
    tree_ = new CDeviceTreeCtrl(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tree_);
}
