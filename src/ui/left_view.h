// The left pane: holds the device tree and keeps it filling the pane.
#pragma once

#include <QWidget>

class CDeviceTreeCtrl;

class CLeftView : public QWidget {
    Q_OBJECT
public:
    explicit CLeftView(QWidget* parent = nullptr);

    CDeviceTreeCtrl* Tree() const { return tree_; }

private:
    CDeviceTreeCtrl* tree_;
};
