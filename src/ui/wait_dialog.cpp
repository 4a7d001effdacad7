#include "ui/wait_dialog.h"

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>

#include "ui/dialog_fields.h"

CWaitDialog::CWaitDialog()
{
    setWindowTitle(QString::fromLatin1(dialogCaption));
    setModal(false);
    text_ = new QLabel(QStringLiteral("Copying files to Device. Please wait ........."), this);
    text_->setObjectName(QStringLiteral("waitText"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    SetDialogUnitsSize(this, 232, 50);
}

void CWaitDialog::SetText(const QString& text)
{
    text_->setText(text);
}

QString CWaitDialog::Text() const
{
    return text_->text();
}

void CWaitDialog::ShowNow()
{
    adjustSize();
    show();
    raise();
    // Let the window system map and expose the window, then paint it synchronously: the caller
    // is about to block the event loop.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    repaint();
    text_->repaint();
}

CWaitScope::CWaitScope(AppMessage textCode)
{
    if (const char* text = AppMessageText(textCode))
        dialog_.SetText(QString::fromUtf8(text));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    dialog_.ShowNow();
}

CWaitScope::~CWaitScope()
{
    dialog_.hide();
    QApplication::restoreOverrideCursor();
}
