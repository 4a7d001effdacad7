// The window's connection: connecting to a port, the connect command, and the 500 ms watch that
// shows the link's state and reconnects once when the handset is lost.
#include <QApplication>
#include <QTimer>

#include "efs/efs_memory.h"
#include "report/reporter.h"
#include "efs/efs_operations.h"
#include "link/diag_port.h"
#include "ui/connect_with_dialog.h"
#include "ui/connection_status.h"
#include "ui/device_tree_ctrl.h"
#include "ui/profile_file.h"
#include "ui/wait_dialog.h"

namespace {

bool PhoneReady(const CDiagPort* link)
{
    return link != nullptr && link->GetPhoneStatus() == phoneStatusReady;
}

}  // namespace

const char* const permissionHintText =
    "You have no permission to use this serial port.\nSerial ports belong to the dialout "
    "group: run \"sudo usermod -aG dialout $USER\", then log out and in again.";

AppMessage CDeviceTreeCtrl::ConnectToPort(const std::string& portName)
{
    // The old link goes first: from here on the window has no connection until this one works.
    link_.reset();
    AppMessage result = msgSuccess;
    auto link = std::make_unique<CDiagPort>();
    lastOpenDenied_ = false;
    if (link->CreateEvents() != linkStatusOk || link->OpenPort(portName) != linkStatusOk) {
        result = msgCannotOpenPort;
        lastOpenDenied_ = link->LastOpenFailure() == PortOpenFailure::permissionDenied;
    } else {
        const LinkTiming& timing = link->Timing();
        if (!link->WaitForPhone([&link] { return PhoneReady(link.get()); },
                                timing.connectPollCount, {}, timing.connectPollMs))
            result = msgNoDevice;
        if (result == msgSuccess)
            result = EfsCheck(link.get());
    }
    if (result == msgSuccess) {
        WriteConfiguredPortName(portName);
        uint32_t used = 0;
        EfsStatsAvailable = EfsGetUsedSpace(link.get(), &used) && used != 0;
        link_ = std::move(link);
    }
    emit ConnectionAttempted(QString::fromStdString(portName), result);
    return result;
}

void CDeviceTreeCtrl::PopulateBehindWaitWindow()
{
    CWaitScope wait(msgRetrievingInformation);
    Populate();
    ExpandAndSelectTop();
}

void CDeviceTreeCtrl::RunConnectCommand()
{
    const AppMessage result = ConnectWithDialog(
        window(), [this](const std::string& portName) { return ConnectToPort(portName); });
    if (result == msgSuccess) {
        PopulateBehindWaitWindow();
        return;
    }
    ReportAppMessage(result);
    if (lastOpenDenied_)
        ReportText(permissionHintText);
}

void CDeviceTreeCtrl::ConnectAtStart()
{
    CCommandInProgress busy;
    RunConnectCommand();
}

void CDeviceTreeCtrl::OnDeviceConnect()
{
    CCommandInProgress busy;
    if (PhoneReady(link_.get())) {
        const std::string question = AppMessageText(msgAlreadyConnected);
        if (!AskYesNo(question, question))
            return;
    }
    RunConnectCommand();
}

void CDeviceTreeCtrl::ShowConnectionState()
{
    if (!EfsStatsAvailable) {
        emit ConnectionStatusChanged(1, 1);
        return;
    }
    int freeKb = 0;
    int totalKb = 0;
    QueryEfsMemory(link_.get(), &freeKb, &totalKb);
    emit ConnectionStatusChanged(freeKb, totalKb);
}

void CDeviceTreeCtrl::OnTimer()
{
    const WatchAction action = DecideWatchAction(CCommandInProgress::Any(), link_ != nullptr,
                                                 PhoneReady(link_.get()), EfsStatsAvailable);
    if (action == WatchAction::nothing)
        return;
    // The watch is a command of its own while it runs: a message box or wait window it opens
    // lets later ticks through the event loop, and they must not start another reconnection.
    CCommandInProgress busy;
    if (action != WatchAction::reconnect) {
        ShowConnectionState();
        return;
    }
    emit ConnectionStatusChanged(0, 0);
    std::string fallback;
    if (link_->GetPortName(&fallback) != linkStatusOk || fallback.empty())
        fallback = defaultPortName;
    // A failed reconnection leaves no link, so later ticks do nothing until the user connects.
    if (ConnectToPort(ReadConfiguredPortName(fallback)) != msgSuccess)
        return;
    ShowConnectionState();
    PopulateBehindWaitWindow();
}
