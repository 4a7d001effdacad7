// The wait window shown while a device operation blocks the user-interface thread. It is
// painted before the caller's blocking call starts, so it never shows as an empty rectangle.
#pragma once

#include <QDialog>

#include "report/app_messages.h"

class QLabel;
class QProgressBar;

class CWaitDialog : public QDialog {
    Q_OBJECT
public:
    CWaitDialog();

    void SetText(const QString& text);
    QString Text() const;

    // Shows the window and paints it now, before control returns to a call that keeps the event
    // loop from running.
    void ShowNow();

    // Shows the transfer's progress under the text: the current file's name and a bar of bytes
    // done of total. Painted at once, since the transfer keeps the event loop from running.
    void SetProgress(const QString& fileName, quint64 done, quint64 total);
    QProgressBar* ProgressBar() const { return progress_; }
    QString ProgressFileName() const;

private:
    QLabel* text_;
    QLabel* fileName_;
    QProgressBar* progress_;
};

// The wait window with the text of a message-table entry and the hourglass cursor, for the
// lifetime of the object.
class CWaitScope {
public:
    explicit CWaitScope(AppMessage textCode);
    ~CWaitScope();
    CWaitScope(const CWaitScope&) = delete;
    CWaitScope& operator=(const CWaitScope&) = delete;

    CWaitDialog& Dialog() { return dialog_; }

private:
    CWaitDialog dialog_;
};

// A wait window for a file or directory transfer: besides the text it shows the progress the
// transfer procedures report, for the lifetime of the object.
class CTransferWaitScope {
public:
    explicit CTransferWaitScope(AppMessage textCode);
    ~CTransferWaitScope();
    CTransferWaitScope(const CTransferWaitScope&) = delete;
    CTransferWaitScope& operator=(const CTransferWaitScope&) = delete;

    CWaitDialog& Dialog() { return wait_.Dialog(); }

private:
    CWaitScope wait_;
};
