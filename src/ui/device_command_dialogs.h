// The dialogs of the commands that take something from the device: Delete Module and Copy File
// from Phone.
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

class CDeleteModuleDialog : public QDialog {
    Q_OBJECT
public:
    explicit CDeleteModuleDialog(QWidget* parent = nullptr);

    QString ModuleName() const;
    void SetModuleName(const QString& name);

private:
    QLineEdit* moduleName_;
};

class CCopyFromPhoneDialog : public QDialog {
    Q_OBJECT
public:
    explicit CCopyFromPhoneDialog(QWidget* parent = nullptr);

    QString DeviceFile() const;  // dialog form
    QString DestinationDirectory() const;
    void SetDeviceFile(const QString& path);
    void SetDestinationDirectory(const QString& path);

    QPushButton* BrowseButton() const { return browse_; }

private:
    QLineEdit* deviceFile_;
    QLineEdit* destination_;
    QPushButton* browse_;
};
