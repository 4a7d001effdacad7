#include "ui/connect_with_dialog.h"

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
    CWaitScope wait(msgRetrievingInformation);
    return connect(portName);
}
