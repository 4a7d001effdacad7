#include "ui/window_connection.h"

#include <QTimer>
#include <QWidget>

#include "report/reporter.h"
#include "session/device_session.h"
#include "ui/connect_with_dialog.h"
#include "ui/connection_status.h"
#include "ui/profile_file.h"

namespace {

constexpr int connectionWatchMs = 500;

}  // namespace

CWindowConnection::CWindowConnection(QWidget* owner, CDeviceSession& session)
    : owner_(owner), session_(session), timer_(new QTimer(this))
{
    timer_->setInterval(connectionWatchMs);
    connect(timer_, &QTimer::timeout, this, &CWindowConnection::OnTimer);
}

AppMessage CWindowConnection::ConnectToPort(const std::string& portName)
{
    const AppMessage result = session_.Connect(portName);
    if (result == msgSuccess)
        WriteConfiguredPortName(portName);
    else
        emit Disconnected();
    emit ConnectionAttempted(QString::fromStdString(portName), result);
    return result;
}

void CWindowConnection::RunConnect(bool askFirst)
{
    CCommandInProgress busy;
    if (RunConnectCommand(
            owner_->window(), askFirst,
            [this](const std::string& port) { return ConnectToPort(port); },
            [this] { return session_.LastOpenDenied(); }))
        emit Connected();
}

void CWindowConnection::ShowConnectionState()
{
    int freeKb = 0;
    int totalKb = 0;
    session_.StatusFigures(freeKb, totalKb);
    emit ConnectionStatusChanged(freeKb, totalKb);
}

void CWindowConnection::OnTimer()
{
    const WatchAction action =
        DecideWatchAction(CCommandInProgress::Any(), session_.Link() != nullptr,
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
    emit Disconnected();
    std::string fallback = session_.PortName();
    if (fallback.empty())
        fallback = defaultPortName;
    // A failed reconnection leaves no link, so later ticks do nothing until the user connects.
    if (ConnectToPort(ReadConfiguredPortName(fallback)) != msgSuccess)
        return;
    ShowConnectionState();
    emit Reconnected();
}
