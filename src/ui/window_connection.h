// The window's connection to the handset: connecting to a port (remembered only after a
// connection that fully succeeded), the connect command, and the 500 ms watch that shows the
// link's state and reconnects once when the handset is lost. What the tree must show of it, it
// says through signals.
#pragma once

#include <QObject>
#include <QString>
#include <string>

#include "report/app_messages.h"

class CDeviceSession;
class QTimer;
class QWidget;

class CWindowConnection : public QObject {
    Q_OBJECT
public:
    // owner: the widget whose window parents the connect command's dialogs.
    CWindowConnection(QWidget* owner, CDeviceSession& session);

    // Replaces the link by a new one on portName: 0, 21, 22, 24 or 25.
    AppMessage ConnectToPort(const std::string& portName);
    // The connect command, asking first whether to connect again when askFirst.
    void RunConnect(bool askFirst);
    void OnTimer();  // one tick of the watch
    bool Watching() const { return watching_; }
    QTimer* Timer() const { return timer_; }

signals:
    void ConnectionAttempted(const QString& portName, int result);  // result 0: connected
    void ConnectionStatusChanged(int freeKb, int totalKb);
    // Nothing of the handset is left to show: a connection attempt failed, or the watch lost the
    // handset and is about to reconnect.
    void Disconnected();
    void Connected();    // the connect command connected: fill the tree
    void Reconnected();  // the watch's reconnection succeeded: fill the tree again

private:
    void ShowConnectionState();

    QWidget* owner_;
    CDeviceSession& session_;
    QTimer* timer_;
    unsigned attempts_ = 0;     // ConnectToPort calls so far, to tell one taken over
    bool watching_ = false;     // the watch's device work is waiting on a thread of its own
};
