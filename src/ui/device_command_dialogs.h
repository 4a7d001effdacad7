// The dialogs of the commands that take something from the device: Delete Module and Copy File
// from Phone.
#pragma once

#include <QDialog>
#include <optional>
#include <string>

class CDeviceSession;

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

// Module > Delete: the dialog preset with name, then the session's delete on OK. true when the
// root needs a refresh.
bool RunDeleteModuleDialog(QWidget* parent, const QString& name, CDeviceSession& session);

// Copy File from Phone: the dialog preset with the device file when one is given and with the
// current folder as the destination when it has none, then the session's copy on OK.
void RunCopyFromDeviceDialog(CCopyFromPhoneDialog& dialog,
                             const std::optional<std::string>& deviceFile,
                             CDeviceSession& session);
