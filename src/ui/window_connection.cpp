#include "ui/window_connection.h"

#include <QScopedValueRollback>
#include <QTimer>
#include <QWidget>

#include "report/reporter.h"
#include "session/connection_status.h"
#include "session/device_session.h"
#include "ui/busy_events.h"
#include "ui/connect_with_dialog.h"
#include "ui/profile_file.h"

namespace {

constexpr int connectionWatchMs = 500;

}  // namespace

CWindowConnection::CWindowConnection(QWidget* owner, CDeviceSession& session)
    : owner_(owner), session_(session), timer_(new QTimer(this))
{
    timer_->setInterval(connectionWatchMs);
    connect(timer_, &QTimer::timeout, this, &CWindowConnection::OnTimer);
    // Connection attempts wait for the handset on a thread of their own.
    session_.SetJobWaiter(WaitServingWindow);
}

AppMessage CWindowConnection::ConnectToPort(const std::string& portName)
{
    const unsigned attempt = ++attempts_;
    const AppMessage result = session_.Connect(portName);
    // A connection the user started while this one waited has taken over and said what happened.
    if (attempt != attempts_)
        return result;
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
            [this](AppMessage result) { session_.ReportFailedConnect(result); }))
        emit Connected();
}

void CWindowConnection::ShowConnectionState()
{
    int freeKb = 0;
    int totalKb = 0;
    const unsigned link = session_.LinkNumber();
    session_.StatusFigures(freeKb, totalKb);
    // A connection the user made while the query waited shows its own state.
    if (session_.LinkNumber() == link)
        emit ConnectionStatusChanged(freeKb, totalKb);
}

void CWindowConnection::OnTimer()
{
    // The device work below lets later ticks through the event loop while it waits.
    if (watching_)
        return;
    const WatchAction action =
        DecideWatchAction(CCommandInProgress::Any(), session_.Link() != nullptr,
                          session_.PhoneReady(), EfsStatsAvailable);
    if (action == WatchAction::nothing)
        return;
    bool reconnected = false;
    {
        // The watch's device work waits on a thread of its own and no command runs meanwhile, so
        // the window stays usable; a connect command started meanwhile takes over.
        const QScopedValueRollback<bool> watching(watching_, true);
        if (action != WatchAction::reconnect)
            return ShowConnectionState();
        emit Disconnected();
        std::string fallback = session_.PortName();
        if (fallback.empty())
            fallback = defaultPortName;
        reconnected = ConnectToPort(ReadConfiguredPortName(fallback)) == msgSuccess;
    }
    // A failed reconnection leaves no link, so later ticks do nothing until the user connects.
    if (!reconnected)
        return;
    CCommandInProgress busy;
    ShowConnectionState();
    emit Reconnected();
}
