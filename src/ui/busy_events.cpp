#include "ui/busy_events.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>

#include "platform/busy_hook.h"
#include "session/connection_status.h"
#include "ui/wait_dialog.h"

namespace {

bool serving = false;

bool IsUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
        return true;
    default:
        return false;
    }
}

// Whether widget belongs to window, also through popups it opened (a combo box's list).
bool BelongsTo(const QWidget* widget, const QWidget* window)
{
    for (; widget != nullptr; widget = widget->parentWidget()) {
        if (widget == window)
            return true;
    }
    return false;
}

// Lets through only the input a running command may take. Input goes through event filters
// whichever way it arrives, from the window system or sent by a program, so a click reaches the
// wait window's Cancel while nothing reaches the windows under it.
class CInputGate : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!IsUserInput(event->type()) || !CCommandInProgress::Any())
            return false;
        QWidget* modal = QApplication::activeModalWidget();
        // From inside device work only the wait window may act: a dialog that closed here would
        // return into the middle of that work.
        if (modal == nullptr || (serving && qobject_cast<CWaitDialog*>(modal) == nullptr))
            return true;
        // Qt's modality keeps window-system input from the other windows; input sent straight to
        // one of their widgets is dropped here.
        if (auto* widget = qobject_cast<QWidget*>(watched))
            return !BelongsTo(widget, modal);
        return false;
    }
};

CInputGate* gate = nullptr;

}  // namespace

void InstallBusyEventHook()
{
    SetBusyHook(ServeBusyEvents);
    if (gate == nullptr) {
        gate = new CInputGate;
        QCoreApplication::instance()->installEventFilter(gate);
    }
}

void RemoveBusyEventHook()
{
    SetBusyHook({});
    delete gate;  // a deleted filter takes itself out of the application's list
    gate = nullptr;
}

void ServeBusyEvents()
{
    if (serving)
        return;
    serving = true;
    QCoreApplication::processEvents();
    serving = false;
}

void WaitServingWindow(const std::function<bool()>& finished)
{
    constexpr int lookMs = 10;
    if (CCommandInProgress::Any()) {
        while (!finished())
            SleepBusy(lookMs);
        return;
    }
    QEventLoop loop;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (finished())
            loop.quit();
    });
    look.start(lookMs);
    if (!finished())
        loop.exec();
}
