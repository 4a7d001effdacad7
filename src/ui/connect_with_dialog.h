// The body of the connect command: the port dialog, then the connection behind the wait window.
#pragma once

#include <functional>
#include <string>

#include "report/app_messages.h"

class QWidget;

// Connects the window to a named port; returns 0 when connected, else the failure's message.
using PortConnector = std::function<AppMessage(const std::string& portName)>;

// 8 when the dialog is cancelled, 7 when it returns an empty name, else what connect returns;
// connect runs with the wait window ("Retrieving directory and file information ...") and the
// hourglass up, whose Cancel stops the wait for the handset.
AppMessage ConnectWithDialog(QWidget* parent, const PortConnector& connect);

// The connect command: when askFirst, whether to connect again; then ConnectWithDialog. A
// failure goes to reportFailure (the session's ReportFailedConnect). true when connected.
bool RunConnectCommand(QWidget* parent, bool askFirst, const PortConnector& connect,
                       const std::function<void(AppMessage)>& reportFailure);
