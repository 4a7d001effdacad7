#include "link/phone_mode.h"

#include <functional>

#include "link/diag_port.h"

namespace {

constexpr uint8_t modeChangeCode = 0x29;

// Waits until reached() holds, at most `periods` mode-wait periods, telling the watcher.
bool WaitForMode(CDiagPort& port, uint32_t periods, const std::function<bool()>& reached,
                 const ModeWaitWatcher& watcher)
{
    const auto tell = [&watcher](ModeWaitEvent event) {
        if (watcher)
            watcher(event);
    };
    tell(ModeWaitEvent::started);
    const bool done = port.Detection().WaitForPhone(reached, periods, [&] { tell(ModeWaitEvent::period); },
                                        port.Timing().modeWaitPeriodMs);
    tell(ModeWaitEvent::ended);
    return done;
}

// True when the handset accepted the mode change: an error reply echoing the code (the link
// hands those over as replies too) is a refusal.
bool SendModeChange(CDiagPort& port, uint8_t value)
{
    const uint8_t request[3] = {modeChangeCode, value, 0x00};
    uint8_t reply[3] = {};
    int16_t length = sizeof reply;
    return port.SendSync(sizeof request, request, cmdTypeDiag, 0, port.Timing().modeChangeCallMs,
                         &length, reply) == linkStatusOk &&
           length >= 1 && reply[0] == modeChangeCode;
}

}  // namespace

AppMessage SetPhoneOffline(CDiagPort* port, const ModeWaitWatcher& watcher)
{
    if (port == nullptr)
        return msgInvalidPortHandle;
    if (!SendModeChange(*port, 1))
        return msgOfflineFailed;
    const bool offline = WaitForMode(
        *port, port->Timing().offlineWaitPeriods,
        [port] { return port->GetPhoneMode() == modeDiagnosticOffline; }, watcher);
    return offline ? msgNowOffline : msgOfflineFailed;
}

AppMessage ResetPhone(CDiagPort* port, const ModeWaitWatcher& watcher)
{
    if (port == nullptr)
        return msgInvalidPortHandle;
    // A refused request (an error reply, or none at all) reset nothing: there is nothing to
    // wait for.
    if (!SendModeChange(*port, 2))
        return msgOnlineFailed;
    // The handset counts as reset once it has been seen gone (a status probe went unanswered,
    // or the detected mode left diagnostic) and then back in diagnostic mode, answering a probe
    // made after its absence. A handset that is still reported in diagnostic mode only because
    // no poll has noticed it leave never counts as back.
    const uint32_t silencesBefore = port->Detection().StatusProbesUnanswered();
    bool absent = false;
    uint32_t answersAtAbsence = 0;
    const bool back = WaitForMode(*port, port->Timing().resetWaitPeriods, [&] {
        const bool diagnostic = port->GetPhoneMode() == modeDiagnostic;
        if (!absent && (!diagnostic || port->Detection().StatusProbesUnanswered() != silencesBefore)) {
            absent = true;
            answersAtAbsence = port->Detection().StatusProbesAnswered();
            return false;
        }
        return absent && diagnostic && port->Detection().StatusProbesAnswered() != answersAtAbsence;
    }, watcher);
    return back ? msgNowOnline : msgOnlineFailed;
}
