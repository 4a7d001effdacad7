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

bool RunConnectCommand(QWidget* parent, bool askFirst, const PortConnector& connect,
                       const std::function<void(AppMessage)>& reportFailure)
{
    const std::string question = AppMessageText(msgAlreadyConnected);
    if (askFirst && !AskYesNo(question, question))
        return false;
    const AppMessage result = ConnectWithDialog(parent, connect);
    if (result == msgSuccess)
        return true;
    reportFailure(result);
    return false;
}
