#include "link/phone_mode.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "report/reporter.h"
#include "link/diag_port.h"

namespace {

constexpr AppMessage msgOfflineFailed = 68;
constexpr AppMessage msgOnlineFailed = 69;
constexpr AppMessage msgNowOffline = 70;
constexpr AppMessage msgNowOnline = 71;

void ConsoleWrite(const char* text)
{
    if (OutputMode == outputModeConsole) {
        std::fputs(text, stdout);
        std::fflush(stdout);
    }
}

// One waiting period, then its dot.
void WaitPeriod(const CDiagPort& port)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(port.Timing().modeWaitPeriodMs));
    ConsoleWrite(".");
}

bool SendModeChange(CDiagPort& port, uint8_t value)
{
    const uint8_t request[3] = {0x29, value, 0x00};
    uint8_t reply[3] = {};
    int16_t length = sizeof reply;
    return port.SendSync(sizeof request, request, cmdTypeDiag, 0, port.Timing().modeChangeCallMs,
                         &length, reply) == linkStatusOk;
}

}  // namespace

AppMessage SetPhoneOffline(CDiagPort* port)
{
    if (port == nullptr)
        return msgInvalidPortHandle;
    if (!SendModeChange(*port, 1))
        return msgOfflineFailed;
    ConsoleWrite("Waiting for phone to go offline");
    for (uint32_t period = 0; period < port->Timing().offlineWaitPeriods &&
                              port->GetPhoneMode() != modeDiagnosticOffline;
         ++period)
        WaitPeriod(*port);
    ConsoleWrite("\n");
    return port->GetPhoneMode() == modeDiagnosticOffline ? msgNowOffline : msgOfflineFailed;
}

AppMessage ResetPhone(CDiagPort* port)
{
    if (port == nullptr)
        return msgInvalidPortHandle;
    // The handset counts as reset once it has been seen gone (a status probe went unanswered,
    // or the detected mode left diagnostic) and then back in diagnostic mode, answering a probe
    // made after its absence. A handset that is still reported in diagnostic mode only because
    // no poll has noticed it leave never counts as back.
    const uint32_t silencesBefore = port->StatusProbesUnanswered();
    bool absent = !SendModeChange(*port, 2);
    uint32_t answersAtAbsence = port->StatusProbesAnswered();
    bool back = false;
    ConsoleWrite("Waiting for phone to come back online");
    for (uint32_t period = 0; period < port->Timing().resetWaitPeriods; ++period) {
        const bool diagnostic = port->GetPhoneMode() == modeDiagnostic;
        if (!absent && (!diagnostic || port->StatusProbesUnanswered() != silencesBefore)) {
            absent = true;
            answersAtAbsence = port->StatusProbesAnswered();
        } else if (absent && diagnostic && port->StatusProbesAnswered() != answersAtAbsence) {
            back = true;
            break;
        }
        WaitPeriod(*port);
    }
    ConsoleWrite("\n");
    return back ? msgNowOnline : msgOnlineFailed;
}
