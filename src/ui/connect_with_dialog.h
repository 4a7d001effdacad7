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
// hourglass up.
AppMessage ConnectWithDialog(QWidget* parent, const PortConnector& connect);
