#include "ui/device_command_dialogs.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "session/device_session.h"
#include "ui/copy_to_device_dialogs.h"
#include "ui/dialog_fields.h"
#include "ui/folder_picker.h"

CDeleteModuleDialog::CDeleteModuleDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Delete Module"));
    moduleName_ = MakeField("moduleName", moduleNameFieldLimit, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        MakeLabel("Specify &Module Name to be Deleted from Device:", moduleName_, this));
    layout->addWidget(moduleName_);
    AddOkCancel(this, layout);
    SetDialogUnitsSize(this, 199, 74);
}

QString CDeleteModuleDialog::ModuleName() const
{
    return moduleName_->text();
}

void CDeleteModuleDialog::SetModuleName(const QString& name)
{
    SetFieldText(moduleName_, name);
}

CCopyFromPhoneDialog::CCopyFromPhoneDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Copy File from Phone"));
    deviceFile_ = MakeField("deviceFile", devicePathFieldLimit, this);
    destination_ = MakeField("destinationDirectory", 0, this);
    browse_ = new QPushButton(QStringLiteral("&Browse..."), this);
    browse_->setObjectName(QStringLiteral("browse"));
    browse_->setAutoDefault(false);
    connect(browse_, &QPushButton::clicked, this, [this] {
        PickFolderInto(this, QString::fromLatin1(destinationFolderTitle), destination_);
    });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MakeLabel("Specify Device &File to Copy:", deviceFile_, this));
    layout->addWidget(deviceFile_);
    layout->addWidget(
        MakeLabel("Select Destination &Directory from Hard Disk:", destination_, this));
    auto* row = new QHBoxLayout;
    row->addWidget(destination_, 1);
    row->addWidget(browse_);
    layout->addLayout(row);
    AddOkCancel(this, layout);
    SetDialogUnitsSize(this, 232, 95);
}

QString CCopyFromPhoneDialog::DeviceFile() const
{
    return deviceFile_->text();
}

QString CCopyFromPhoneDialog::DestinationDirectory() const
{
    return destination_->text();
}

void CCopyFromPhoneDialog::SetDeviceFile(const QString& path)
{
    SetFieldText(deviceFile_, path);
}

void CCopyFromPhoneDialog::SetDestinationDirectory(const QString& path)
{
    SetFieldText(destination_, path);
}

bool RunDeleteModuleDialog(QWidget* parent, const QString& name, CDeviceSession& session)
{
    CDeleteModuleDialog dialog(parent);
    dialog.SetModuleName(name);
    return dialog.exec() == QDialog::Accepted &&
           session.DeleteModuleNamed(dialog.ModuleName().toStdString());
}

void RunCopyFromDeviceDialog(CCopyFromPhoneDialog& dialog,
                             const std::optional<std::string>& deviceFile,
                             CDeviceSession& session)
{
    if (deviceFile)
        dialog.SetDeviceFile(QString::fromStdString(*deviceFile));
    if (dialog.DestinationDirectory().isEmpty())
        dialog.SetDestinationDirectory(QDir::currentPath());
    if (dialog.exec() == QDialog::Accepted)
        session.CopyFromDevice(dialog.DeviceFile().toStdString(),
                               dialog.DestinationDirectory().toStdString());
}
