#include "ui/busy_events.h"

#include <QApplication>
#include <QEvent>

#include "platform/busy_hook.h"
#include "ui/wait_dialog.h"

namespace {

bool serving = false;

// Swallows the user's input while it is installed: a click or key made while the window is busy
// is dropped, not replayed once the operation has ended.
class CInputDiscard : public QObject {
protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override
    {
        switch (event->type()) {
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
};

}  // namespace

void InstallBusyEventHook()
{
    SetBusyHook(ServeBusyEvents);
}

void RemoveBusyEventHook()
{
    SetBusyHook({});
}

void ServeBusyEvents()
{
    if (serving)
        return;
    serving = true;
    // Qt's modality blocks input to every window but the wait window on top; without one, no
    // window may take input while the handset is busy, and what the user did meanwhile is dropped.
    const bool waitWindowOnTop =
        qobject_cast<CWaitDialog*>(QApplication::activeModalWidget()) != nullptr;
    if (waitWindowOnTop) {
        QCoreApplication::processEvents();
    } else {
        CInputDiscard discard;
        QCoreApplication::instance()->installEventFilter(&discard);
        QCoreApplication::processEvents();
        QCoreApplication::instance()->removeEventFilter(&discard);
    }
    serving = false;
}
