// The wait window shown while a device operation blocks the user-interface thread. It is
// painted before the caller's blocking call starts, so it never shows as an empty rectangle, and
// it is application-modal, so while the operation serves the window's events (busy_events.h) the
// wait window is the only one that takes input. An operation that can stop offers Cancel.
#pragma once

#include <QDialog>

#include "report/app_messages.h"
#include "session/session_waits.h"

class QLabel;
class QProgressBar;
class QPushButton;

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

    // Shows the Cancel button: it, Escape and the window's close button ask the operation to
    // stop at its next check (RequestStop). Without it they do nothing.
    void OfferCancel();
    QPushButton* CancelButton() const { return cancel_; }

public slots:
    // The window never closes on its own account: its owner hides it when the operation ends.
    void reject() override;

private:
    QLabel* text_;
    QLabel* fileName_;
    QProgressBar* progress_;
    QPushButton* cancel_;
};

// The hourglass cursor alone, for the lifetime of the object.
class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};

// Whether a wait window offers Cancel.
enum class WaitStop { none, cancel };

// The wait window with the text of a message-table entry and the hourglass cursor, for the
// lifetime of the object.
class CWaitScope {
public:
    explicit CWaitScope(AppMessage textCode, WaitStop stop = WaitStop::none);
    ~CWaitScope();
    CWaitScope(const CWaitScope&) = delete;
    CWaitScope& operator=(const CWaitScope&) = delete;

    CWaitDialog& Dialog() { return dialog_; }

private:
    CWaitDialog dialog_;
};

// A wait window for a file or directory transfer: besides the text it shows the progress the
// transfer procedures report, and Cancel, for the lifetime of the object.
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

// The session's waits shown as the window's wait windows.
WaitShower WindowWaitShower();
