// The dialogs of the commands that put something on the device: New File, New Directory and
// New Module. Device paths are in dialog form ("/" followed by the device path).
#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "session/device_session.h"

class QLineEdit;
class QPushButton;

// Device path fields hold at most this many characters as typed.
constexpr int devicePathFieldLimit = 57;
constexpr int moduleNameFieldLimit = 32;

class CNewFileDialog : public QDialog {
    Q_OBJECT
public:
    explicit CNewFileDialog(QWidget* parent = nullptr);

    QString PcFile() const;
    QString DevicePath() const;
    void SetPcFile(const QString& path);
    void SetDevicePath(const QString& path);

    QPushButton* BrowseButton() const { return browse_; }

    // Refuses to close (reporting why) while one field is given without the other or the PC
    // file names a directory.
    void accept() override;

private:
    QLineEdit* pcFile_;
    QLineEdit* devicePath_;
    QPushButton* browse_;
};

class CNewDirectoryDialog : public QDialog {
    Q_OBJECT
public:
    explicit CNewDirectoryDialog(QWidget* parent = nullptr);

    QString DirectoryPath() const;
    void SetDirectoryPath(const QString& path);

    // Refuses a path that ends with "/": it names an existing directory, not a new one.
    void accept() override;

private:
    QLineEdit* directoryPath_;
};

class CNewModuleDialog : public QDialog {
    Q_OBJECT
public:
    explicit CNewModuleDialog(QWidget* parent = nullptr);

    QString ModuleDirectory() const;
    QString ModuleName() const;
    void SetModuleDirectory(const QString& path);
    void SetModuleName(const QString& name);

    QPushButton* BrowseButton() const { return browse_; }

private:
    QLineEdit* moduleDirectory_;
    QLineEdit* moduleName_;
    QPushButton* browse_;
};

// New File's dialog, with the current folder when it has no PC file, until the command ends:
// each OK with both names goes to copy with the
// device path completed by the PC file's name when it names a directory; askAgain shows the
// dialog again with that path.
using NewFileCopy = std::function<DialogStep(const std::string& pcFile, const std::string& devicePath)>;
void RunNewFileDialog(CNewFileDialog& dialog, const NewFileCopy& copy);

// New Directory's dialog until the command ends: make returns the next step and the device path
// the dialog shows when it asks again.
using DirectoryMaker = std::function<DialogStep(const std::string& typedPath, std::string& devicePath)>;
void RunNewDirectoryDialog(CNewDirectoryDialog& dialog, const DirectoryMaker& make);

// New Module: the dialog, with the current folder when it has none, then the session's load on
// OK. true when the root needs a refresh.
bool RunNewModuleDialog(CNewModuleDialog& dialog, CDeviceSession& session);
