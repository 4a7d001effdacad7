// The window's connection: connecting to a port, the connect command, and the 500 ms watch that
// shows the link's state and reconnects once when the handset is lost.
#include <QTimer>
#include <algorithm>

#include "report/reporter.h"
#include "ui/connect_with_dialog.h"
#include "ui/connection_status.h"
#include "ui/device_tree_ctrl.h"
#include "ui/list_view.h"
#include "ui/profile_file.h"
#include "ui/wait_dialog.h"

AppMessage CDeviceTreeCtrl::ConnectToPort(const std::string& portName)
{
    const AppMessage result = session_.Connect(portName);
    // The port is remembered only after a connection that fully succeeded.
    if (result == msgSuccess)
        WriteConfiguredPortName(portName);
    else
        ShowDisconnected();
    emit ConnectionAttempted(QString::fromStdString(portName), result);
    return result;
}

void CDeviceTreeCtrl::PopulateBehindWaitWindow()
{
    CWaitScope wait(msgRetrievingInformation);
    Populate();
    ExpandAndSelectTop();
}

void CDeviceTreeCtrl::RunConnect(bool askFirst)
{
    CCommandInProgress busy;
    if (RunConnectCommand(
            window(), askFirst, [this](const std::string& port) { return ConnectToPort(port); },
            [this] { return session_.LastOpenDenied(); }))
        PopulateBehindWaitWindow();
}

void CDeviceTreeCtrl::ConnectAtStart()
{
    RunConnect(false);
}

void CDeviceTreeCtrl::OnDeviceConnect()
{
    RunConnect(session_.PhoneReady());
}

void CDeviceTreeCtrl::ShowDisconnected()
{
    clear();
    if (list_ != nullptr)
        list_->DeleteAllItems();
    emit ConnectionStatusChanged(0, 0);
    emit CommandStatesChanged();
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
    const std::string selected = currentItem() ? NodePath(*currentItem()) : std::string();
    ShowDisconnected();
    std::string fallback = session_.PortName();
    if (fallback.empty())
        fallback = defaultPortName;
    // A failed reconnection leaves no link, so later ticks do nothing until the user connects.
    if (ConnectToPort(ReadConfiguredPortName(fallback)) != msgSuccess)
        return;
    ShowConnectionState();
    PopulateBehindWaitWindow();
    if (QTreeWidgetItem* node = OpenNodePath(TopNode(), selected.substr(
                                                 std::min(rootPath_.size(), selected.size()))))
        setCurrentItem(node);
}
