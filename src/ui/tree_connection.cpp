// The window's connection: connecting to a port, the connect command, and the 500 ms watch that
// shows the link's state and reconnects once when the handset is lost.
#include <QApplication>
#include <QTimer>

#include "report/reporter.h"
#include "ui/connect_with_dialog.h"
#include "ui/connection_status.h"
#include "ui/device_tree_ctrl.h"
#include "ui/profile_file.h"
#include "ui/wait_dialog.h"

const char* const permissionHintText =
    "You have no permission to use this serial port.\nSerial ports belong to the dialout "
    "group: run \"sudo usermod -aG dialout $USER\", then log out and in again.";

AppMessage CDeviceTreeCtrl::ConnectToPort(const std::string& portName)
{
    const AppMessage result = session_.Connect(portName);
    // The port is remembered only after a connection that fully succeeded.
    if (result == msgSuccess)
        WriteConfiguredPortName(portName);
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
    if (session_.LastOpenDenied())
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
    if (session_.PhoneReady()) {
        const std::string question = AppMessageText(msgAlreadyConnected);
        if (!AskYesNo(question, question))
            return;
    }
    RunConnectCommand();
}

void CDeviceTreeCtrl::ShowConnectionState()
{
    int freeKb = 0;
    int totalKb = 0;
    session_.StatusFigures(freeKb, totalKb);
    emit ConnectionStatusChanged(freeKb, totalKb);
}

void CDeviceTreeCtrl::OnTimer()
{
    const WatchAction action = DecideWatchAction(CCommandInProgress::Any(), Link() != nullptr,
                                                 session_.PhoneReady(), EfsStatsAvailable);
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
    std::string fallback = session_.PortName();
    if (fallback.empty())
        fallback = defaultPortName;
    // A failed reconnection leaves no link, so later ticks do nothing until the user connects.
    if (ConnectToPort(ReadConfiguredPortName(fallback)) != msgSuccess)
        return;
    ShowConnectionState();
    PopulateBehindWaitWindow();
}
