#include "session/handset_connect.h"

#include "efs/efs_operations.h"
#include "link/diag_port.h"
#include "platform/stop_request.h"

const char* const permissionHintText =
    "You have no permission to use this serial port.\nSerial ports belong to the dialout "
    "group: run \"sudo usermod -aG dialout $USER\", then log out and in again.";

namespace {

void Tell(const ConnectProgress& progress, ConnectStage stage)
{
    if (progress)
        progress(stage);
}

}  // namespace

CConnection ConnectHandset(const std::string& portName, const LinkTiming& timing,
                           const ConnectProgress& progress, const std::function<bool()>& abandoned)
{
    CConnection connection;
    auto link = std::make_unique<CDiagPort>(timing);
    if (link->CreateEvents() != linkStatusOk || link->OpenPort(portName) != linkStatusOk) {
        connection.result = msgCannotOpenPort;
        connection.openDenied = link->LastOpenFailure() == PortOpenFailure::permissionDenied;
        return connection;
    }
    Tell(progress, ConnectStage::portOpened);
    CDiagPort& port = *link;
    // Inside a stoppable operation (the window's connect command) a stop ends the wait at once.
    auto given = [&abandoned] { return abandoned && abandoned(); };
    const bool ready = port.Detection().WaitForPhone(
        [&port, &given] { return port.GetPhoneStatus() == phoneStatusReady || StopDue() || given(); },
        timing.connectPollCount, [&progress] { Tell(progress, ConnectStage::pollPeriodPassed); },
        timing.connectPollMs);
    Tell(progress, ConnectStage::detectionEnded);
    connection.stopped = StopDue();
    if (!ready || connection.stopped || given()) {
        connection.result = msgNoDevice;
        return connection;
    }
    Tell(progress, ConnectStage::handsetFound);
    connection.result = EfsCheck(link.get());
    if (connection.result != msgSuccess)
        return connection;
    // A handset that cannot say how much is used, or says nothing is, keeps no usable figures.
    uint32_t used = 0;
    connection.statsAvailable = EfsGetUsedSpace(link.get(), &used) && used != 0;
    connection.link = std::move(link);
    return connection;
}
