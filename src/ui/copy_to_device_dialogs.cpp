#include "ui/copy_to_device_dialogs.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "report/reporter.h"
#include "session/dialog_checks.h"
#include "session/drop_placement.h"
#include "ui/dialog_fields.h"
#include "ui/folder_picker.h"

namespace {

QPushButton* MakeBrowseButton(QWidget* parent)
{
    auto* button = new QPushButton(QStringLiteral("&Browse..."), parent);
    button->setObjectName(QStringLiteral("browse"));
    button->setAutoDefault(false);
    return button;
}

QHBoxLayout* Row(QWidget* field, QWidget* button)
{
    auto* row = new QHBoxLayout;
    row->addWidget(field, 1);
    row->addWidget(button);
    return row;
}

}  // namespace

CNewFileDialog::CNewFileDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("New File"));
    pcFile_ = MakeField("pcFile", 0, this);
    devicePath_ = MakeField("devicePath", devicePathFieldLimit, this);
    browse_ = MakeBrowseButton(this);
    connect(browse_, &QPushButton::clicked, this, [this] { BrowseForFile(this, pcFile_); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MakeLabel("Select File from &Hard Disk to Copy:", pcFile_, this));
    layout->addLayout(Row(pcFile_, browse_));
    layout->addWidget(MakeLabel("Specify Path/Filename to Persist on &Device:", devicePath_, this));
    layout->addWidget(devicePath_);
    AddOkCancel(this, layout);
    SetDialogUnitsSize(this, 238, 82);
}

QString CNewFileDialog::PcFile() const
{
    return pcFile_->text();
}

QString CNewFileDialog::DevicePath() const
{
    return devicePath_->text();
}

void CNewFileDialog::SetPcFile(const QString& path)
{
    SetFieldText(pcFile_, path);
}

void CNewFileDialog::SetDevicePath(const QString& path)
{
    SetFieldText(devicePath_, path);
}

void CNewFileDialog::accept()
{
    const AppMessage refusal =
        CheckNewFileFields(PcFile().toStdString(), DevicePath().toStdString());
    if (refusal != msgSuccess) {
        ReportAppMessage(refusal);
        return;
    }
    QDialog::accept();
}

CNewDirectoryDialog::CNewDirectoryDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("New Directory"));
    directoryPath_ = MakeField("directoryPath", devicePathFieldLimit, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        MakeLabel("Specify &Directory to Create (max 57 chars):", directoryPath_, this));
    layout->addWidget(directoryPath_);
    AddOkCancel(this, layout);
    SetDialogUnitsSize(this, 200, 57);
}

QString CNewDirectoryDialog::DirectoryPath() const
{
    return directoryPath_->text();
}

void CNewDirectoryDialog::SetDirectoryPath(const QString& path)
{
    SetFieldText(directoryPath_, path);
}

void CNewDirectoryDialog::accept()
{
    const AppMessage refusal = CheckNewDirectoryField(DirectoryPath().toStdString());
    if (refusal != msgSuccess) {
        ReportAppMessage(refusal);
        return;
    }
    QDialog::accept();
}

CNewModuleDialog::CNewModuleDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("New Module"));
    moduleDirectory_ = MakeField("moduleDirectory", devicePathFieldLimit, this);
    moduleName_ = MakeField("moduleName", moduleNameFieldLimit, this);
    browse_ = MakeBrowseButton(this);
    connect(browse_, &QPushButton::clicked, this, [this] {
        PickFolderInto(this, QString::fromLatin1(moduleFolderTitle), moduleDirectory_);
    });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MakeLabel("Note: Before selecting module directory on hard disk, please "
                                "make sure to copy all module files to that directory.",
                                nullptr, this));
    layout->addWidget(
        MakeLabel("Select Module &Directory from Hard Disk:", moduleDirectory_, this));
    layout->addLayout(Row(moduleDirectory_, browse_));
    layout->addWidget(MakeLabel("Specify Module &Name to Persist on Device:", moduleName_, this));
    layout->addWidget(moduleName_);
    AddOkCancel(this, layout);
    SetDialogUnitsSize(this, 236, 114);
}

QString CNewModuleDialog::ModuleDirectory() const
{
    return moduleDirectory_->text();
}

QString CNewModuleDialog::ModuleName() const
{
    return moduleName_->text();
}

void CNewModuleDialog::SetModuleDirectory(const QString& path)
{
    SetFieldText(moduleDirectory_, path);
}

void CNewModuleDialog::SetModuleName(const QString& name)
{
    SetFieldText(moduleName_, name);
}

void RunNewFileDialog(CNewFileDialog& dialog, const NewFileCopy& copy)
{
    if (dialog.PcFile().isEmpty())
        dialog.SetPcFile(QDir::currentPath());
    while (dialog.exec() == QDialog::Accepted) {
        const std::string pcFile = dialog.PcFile().toStdString();
        const std::string typed = dialog.DevicePath().toStdString();
        if (pcFile.empty() || typed.empty()) {
            ReportAppMessage(msgFileNamesNotGiven);
            continue;
        }
        const std::string devicePath = CompleteNewFilePath(pcFile, typed);
        if (copy(pcFile, devicePath) != DialogStep::askAgain)
            return;
        dialog.SetDevicePath(QString::fromStdString(devicePath));
    }
}

void RunNewDirectoryDialog(CNewDirectoryDialog& dialog, const DirectoryMaker& make)
{
    while (dialog.exec() == QDialog::Accepted) {
        std::string devicePath;
        if (make(dialog.DirectoryPath().toStdString(), devicePath) != DialogStep::askAgain)
            return;
        dialog.SetDirectoryPath(QString::fromStdString(devicePath));
    }
}

bool RunNewModuleDialog(CNewModuleDialog& dialog, CDeviceSession& session)
{
    if (dialog.ModuleDirectory().isEmpty())
        dialog.SetModuleDirectory(QDir::currentPath());
    return dialog.exec() == QDialog::Accepted &&
           session.NewModule(dialog.ModuleDirectory().toStdString(),
                             dialog.ModuleName().toStdString());
}
