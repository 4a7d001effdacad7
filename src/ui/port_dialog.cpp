#include "ui/port_dialog.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "report/reporter.h"
#include "session/port_choices.h"
#include "ui/dialog_fields.h"
#include "ui/profile_file.h"

CPortDialog::CPortDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QString::fromLatin1(dialogCaption));
    portBox_ = new QComboBox(this);
    portBox_->setObjectName(QStringLiteral("portName"));
    portBox_->setEditable(true);
    portBox_->setInsertPolicy(QComboBox::NoInsert);
    for (const std::string& port : PortDialogChoices())
        portBox_->addItem(QString::fromStdString(port));
    portName_ = QString::fromStdString(ReadConfiguredPortName());
    portBox_->setCurrentText(portName_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MakeLabel("Select the &Port on Which Device is Connected:", portBox_, this));
    layout->addWidget(portBox_);
    AddOkCancel(this, layout);
    SetDialogUnitsSize(this, 200, 58);
    portBox_->setFocus();
}

void CPortDialog::accept()
{
    portName_ = portBox_->currentText();
    if (portName_.isEmpty()) {
        ReportAppMessage(msgSelectValidPort);
        return;
    }
    QDialog::accept();
}
