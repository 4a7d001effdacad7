// The wait window shown while a device operation blocks the user-interface thread. It is
// painted before the caller's blocking call starts, so it never shows as an empty rectangle.
#pragma once

#include <QDialog>

#include "console/report/app_messages.h"

class QLabel;

class CWaitDialog : public QDialog {
    Q_OBJECT
public:
    CWaitDialog();

    void SetText(const QString& text);
    QString Text() const;

    // Shows the window and paints it now, before control returns to a call that keeps the event
    // loop from running.
    void ShowNow();

private:
    QLabel* text_;
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
