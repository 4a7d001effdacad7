// Help > About: the program icon and its version.
#pragma once

#include <QDialog>

constexpr const char* aboutVersionText = "Version 1.0.2.5";

class CAboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDialog(QWidget* parent = nullptr);
};
