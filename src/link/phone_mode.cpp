#include "link/phone_mode.h"

#include <cstdio>
#include <functional>

#include "link/diag_port.h"
#include "report/reporter.h"

namespace {

constexpr AppMessage msgOfflineFailed = 68;
constexpr AppMessage msgOnlineFailed = 69;
constexpr AppMessage msgNowOffline = 70;
constexpr AppMessage msgNowOnline = 71;
constexpr uint8_t modeChangeCode = 0x29;

void ConsoleWrite(const char* text)
{
    if (OutputMode == outputModeConsole) {
        std::fputs(text, stdout);
        std::fflush(stdout);
    }
}

// Waits until reached() holds, at most `periods` mode-wait periods, one dot per full period.
bool WaitWithDots(CDiagPort& port, uint32_t periods, const std::function<bool()>& reached)
{
    return port.WaitForPhone(reached, periods, [] { ConsoleWrite("."); },
                             port.Timing().modeWaitPeriodMs);
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

AppMessage SetPhoneOffline(CDiagPort* port)
{
    if (port == nullptr)
        return msgInvalidPortHandle;
    if (!SendModeChange(*port, 1))
        return msgOfflineFailed;
    ConsoleWrite("Waiting for phone to go offline");
    const bool offline = WaitWithDots(*port, port->Timing().offlineWaitPeriods, [port] {
        return port->GetPhoneMode() == modeDiagnosticOffline;
    });
    ConsoleWrite("\n");
    return offline ? msgNowOffline : msgOfflineFailed;
}

AppMessage ResetPhone(CDiagPort* port)
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
    const uint32_t silencesBefore = port->StatusProbesUnanswered();
    bool absent = false;
    uint32_t answersAtAbsence = 0;
    ConsoleWrite("Waiting for phone to come back online");
    const bool back = WaitWithDots(*port, port->Timing().resetWaitPeriods, [&] {
        const bool diagnostic = port->GetPhoneMode() == modeDiagnostic;
        if (!absent && (!diagnostic || port->StatusProbesUnanswered() != silencesBefore)) {
            absent = true;
            answersAtAbsence = port->StatusProbesAnswered();
            return false;
        }
        return absent && diagnostic && port->StatusProbesAnswered() != answersAtAbsence;
    });
    ConsoleWrite("\n");
    return back ? msgNowOnline : msgOnlineFailed;
}
