#include "ui/busy_events.h"

#include <QApplication>

#include "platform/busy_hook.h"
#include "ui/wait_dialog.h"

namespace {

bool serving = false;

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
    // window may take input while the handset is busy.
    const bool waitWindowOnTop =
        qobject_cast<CWaitDialog*>(QApplication::activeModalWidget()) != nullptr;
    QCoreApplication::processEvents(waitWindowOnTop ? QEventLoop::AllEvents
                                                    : QEventLoop::ExcludeUserInputEvents);
    serving = false;
}
