#include "ui/connect_with_dialog.h"

#include "platform/stop_request.h"
#include "report/reporter.h"
#include "ui/port_dialog.h"
#include "ui/wait_dialog.h"

AppMessage ConnectWithDialog(QWidget* parent, const PortConnector& connect)
{
    std::string portName;
    {
        CPortDialog dialog(parent);
        if (dialog.exec() != QDialog::Accepted)
            return msgNoInput;
        portName = dialog.PortName().toStdString();
    }
    if (portName.empty())
        return msgSelectValidPort;
    // Cancel (or Escape) in the wait window ends the wait for the handset at once.
    CWaitScope wait(msgRetrievingInformation, WaitStop::cancel);
    const CStoppableOperation attempt;
    return connect(portName);
}

const char* const permissionHintText =
    "You have no permission to use this serial port.\nSerial ports belong to the dialout "
    "group: run \"sudo usermod -aG dialout $USER\", then log out and in again.";

bool RunConnectCommand(QWidget* parent, bool askFirst, const PortConnector& connect,
                       const std::function<bool()>& openDenied)
{
    const std::string question = AppMessageText(msgAlreadyConnected);
    if (askFirst && !AskYesNo(question, question))
        return false;
    const AppMessage result = ConnectWithDialog(parent, connect);
    if (result == msgSuccess)
        return true;
    // The user stopped the attempt: the window shows it disconnected, with no message.
    if (StopRequested())
        return false;
    ReportAppMessage(result);
    if (openDenied())
        ReportText(permissionHintText);
    return false;
}
