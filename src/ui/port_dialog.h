// The modal port chooser. It opens showing the port of the last connection that worked.
#pragma once

#include <QDialog>

class QComboBox;

class CPortDialog : public QDialog {
    Q_OBJECT
public:
    // Reads the configured port (default "COM1") and lists the port choices.
    explicit CPortDialog(QWidget* parent = nullptr);

    QString PortName() const { return portName_; }
    QComboBox* PortBox() const { return portBox_; }

    // Takes the typed or chosen name; an empty one reports "Please select a valid port" and
    // keeps the dialog open.
    void accept() override;

private:
    QComboBox* portBox_;
    QString portName_;
};
