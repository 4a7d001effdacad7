#include "ui/wait_dialog.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QDialogButtonBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

#include "modules/transfer_progress.h"
#include "platform/busy_hook.h"
#include "platform/stop_request.h"
#include "ui/dialog_fields.h"

CWaitDialog::CWaitDialog()
{
    setWindowTitle(QString::fromLatin1(dialogCaption));
    setWindowModality(Qt::ApplicationModal);
    text_ = new QLabel(QStringLiteral("Copying files to Device. Please wait ........."), this);
    text_->setObjectName(QStringLiteral("waitText"));
    fileName_ = new QLabel(this);
    fileName_->setObjectName(QStringLiteral("waitFileName"));
    fileName_->setTextFormat(Qt::PlainText);
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("waitProgress"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    cancel_ = buttons->button(QDialogButtonBox::Cancel);
    cancel_->setObjectName(QStringLiteral("waitCancel"));
    connect(buttons, &QDialogButtonBox::rejected, this, &CWaitDialog::reject);
    fileName_->hide();
    progress_->hide();
    cancel_->hide();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(fileName_);
    layout->addWidget(progress_);
    layout->addWidget(buttons);
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
    // Over the main window, where the user is looking, rather than in the middle of the screen.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMainWindow*>(window) != nullptr && window->isVisible()) {
            move(window->frameGeometry().center() - rect().center());
            break;
        }
    }
    show();
    raise();
    // Let the window system map and expose the window, then paint it synchronously: the caller
    // is about to block the event loop.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    repaint();
    text_->repaint();
}

void CWaitDialog::OfferCancel()
{
    cancel_->show();
    cancel_->setEnabled(true);
}

void CWaitDialog::reject()
{
    if (cancel_->isHidden() || !cancel_->isEnabled())
        return;
    RequestStop();
    cancel_->setEnabled(false);  // the operation stops at its next check
}

QString CWaitDialog::ProgressFileName() const
{
    return fileName_->text();
}

void CWaitDialog::SetProgress(const QString& fileName, quint64 done, quint64 total)
{
    const bool firstReport = progress_->isHidden();
    fileName_->setText(fileName);
    // The bar counts in permille, so totals beyond the bar's int range show as well.
    progress_->setRange(0, 1000);
    progress_->setValue(total == 0 ? 1000 : static_cast<int>(std::min<quint64>(done, total) * 1000 / total));
    if (firstReport) {
        fileName_->show();
        progress_->show();
        adjustSize();
    }
    fileName_->repaint();
    progress_->repaint();
}

CWaitCursor::CWaitCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

CWaitCursor::~CWaitCursor()
{
    QApplication::restoreOverrideCursor();
}

CWaitScope::CWaitScope(AppMessage textCode, WaitStop stop)
{
    if (const char* text = AppMessageText(textCode))
        dialog_.SetText(QString::fromUtf8(text));
    if (stop == WaitStop::cancel)
        dialog_.OfferCancel();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    dialog_.ShowNow();
}

CWaitScope::~CWaitScope()
{
    dialog_.hide();
    QApplication::restoreOverrideCursor();
}

CTransferWaitScope::CTransferWaitScope(AppMessage textCode)
    : wait_(textCode, WaitStop::cancel)
{
    CWaitDialog* dialog = &wait_.Dialog();
    SetTransferProgressHandler([dialog](const std::string& fileName, uint64_t done,
                                        uint64_t total) {
        dialog->SetProgress(QString::fromStdString(fileName), done, total);
        // Blocks that each come back sooner than a wait slice never reach the hook otherwise.
        RunBusyHook();
    });
}

CTransferWaitScope::~CTransferWaitScope()
{
    SetTransferProgressHandler({});
}

WaitShower WindowWaitShower()
{
    return [](AppMessage text, SessionWait kind) -> std::shared_ptr<void> {
        switch (kind) {
        case SessionWait::plain:
            return std::make_shared<CWaitScope>(text);
        case SessionWait::cancel:
            return std::make_shared<CWaitScope>(text, WaitStop::cancel);
        case SessionWait::transfer:
            return std::make_shared<CTransferWaitScope>(text);
        }
        return nullptr;
    };
}
