// The window's connection against the virtual handset: start-up's connect command through the
// port dialog, a failed connection, lazy expansion, and the connection watch.
#include <QComboBox>
#include <QLabel>
#include <QSignalSpy>

#include "link/diag_port.h"
#include "ui/port_dialog.h"
#include "ui/profile_file.h"
#include "ui/window_startup.h"
#include "window_rig.h"

namespace {

TEST_F(WindowTest, StartUpConnectsThroughThePortDialogAndFillsTheTree)
{
    PutDevice("subdir/inner/f.txt", "x");
    PutDevice("chess.mif", "m");
    handset.Start();
    WhenModal<CPortDialog>([&](CPortDialog* dialog) {
        EXPECT_EQ(dialog->PortBox()->currentText(), "COM1");  // no configuration file yet
        dialog->PortBox()->setEditText(QString::fromStdString(handset.Port()));
        dialog->accept();
    });
    CWindowStartup startup;
    startup.connectAtStart = [&](CMainFrame& started) {
        SetMessageBoxHandler([&](const std::string& text) { reports.texts.push_back(text); });
        started.GetLeftView()->Tree()->ConnectAtStart();
    };
    frame.reset(StartMainWindow(startup, 0));
    ASSERT_TRUE(frame);
    frame->setAttribute(Qt::WA_DeleteOnClose, false);
    EXPECT_EQ(frame->windowTitle(), "ORLEY v1.0");
    QTreeWidgetItem* top = Tree()->TopNode();
    ASSERT_NE(top, nullptr);
    EXPECT_TRUE(top->isExpanded());
    EXPECT_EQ(Tree()->currentItem(), top);
    EXPECT_EQ(top->childCount(), 2);  // nv and subdir
    // Unread directories carry one placeholder so they show an expand button.
    ASSERT_EQ(Node("/subdir/")->childCount(), 1);
    EXPECT_EQ(Node("/subdir/")->child(0)->text(0), "");
    EXPECT_GE(RowOf("chess.mif"), 0);
    EXPECT_TRUE(reports.texts.empty());
    EXPECT_EQ(ReadConfiguredPortName(""), handset.Port());
    EXPECT_TRUE(Tree()->ConnectionTimer()->isActive());
}

TEST_F(WindowTest, AFailedConnectionKeepsTheConfigurationAndConnectWhileConnectedAsksFirst)
{
    Connect();
    const std::string good = Text(config.IniFile());
    EXPECT_EQ(Tree()->ConnectToPort((handset.Scratch() / "no-such-port").string()), 21);
    EXPECT_EQ(Tree()->Link(), nullptr);
    EXPECT_EQ(Text(config.IniFile()), good);

    ASSERT_EQ(Tree()->ConnectToPort(handset.Port()), 0);
    CDiagPort* link = Tree()->Link();
    reports.answers = {false};
    Tree()->OnDeviceConnect();
    EXPECT_EQ(reports.questions, std::vector<std::string>{"You are currently connected to a device. \n"
                                                          "Do you wish to connect to a different device?"});
    EXPECT_EQ(Tree()->Link(), link);
}

TEST_F(WindowTest, ExpandingOrCollapsingReReadsTheDirectory)
{
    PutDevice("subdir/old/f.txt", "x");
    Connect();
    QTreeWidgetItem* subdir = Node("/SUBDIR/");
    ASSERT_NE(subdir, nullptr);
    subdir->setExpanded(true);
    ASSERT_EQ(subdir->childCount(), 1);
    rig::fs::create_directories(handset.Device() / "subdir" / "new");
    subdir->setExpanded(false);
    subdir->setExpanded(true);
    EXPECT_EQ(subdir->childCount(), 2);
    // A directory without subdirectories loses its expand button once read.
    Node("/subdir/old/")->setExpanded(true);
    EXPECT_EQ(Node("/subdir/old/")->childCount(), 0);
}

TEST_F(WindowTest, ALostHandsetIsReconnectedOnceToTheConfiguredPort)
{
    Connect();
    QLabel* pane = frame->StatusPaneLabel(statusPaneConnection);
    QSignalSpy attempts(Tree(), &CDeviceTreeCtrl::ConnectionAttempted);
    auto lost = [&] { return Tree()->Link()->GetPhoneStatus() != phoneStatusReady; };
    // A second handset takes over as the configured port; the first goes away.
    rig::CHandsetRig second;
    second.PutDeviceFile("/nv/phone.cfg", rig::Bytes(512, 'c'));
    WriteConfiguredPortName(second.Port());
    handset.Unplug();
    ASSERT_TRUE(WaitWithEvents(lost, 20000));
    Tree()->OnTimer();
    ASSERT_EQ(attempts.count(), 1);
    EXPECT_EQ(attempts[0][1].toInt(), 0);
    EXPECT_TRUE(pane->text().startsWith("Mem free/total: ")) << pane->text().toStdString();

    // Now the configured port is gone too: one attempt, "Disconnected", and no more tries.
    second.Unplug();
    ASSERT_TRUE(WaitWithEvents(lost, 20000));
    Tree()->OnTimer();
    Tree()->OnTimer();
    EXPECT_EQ(pane->text(), "Disconnected");
    EXPECT_EQ(attempts.count(), 2);
    EXPECT_EQ(Tree()->Link(), nullptr);
    EXPECT_TRUE(reports.texts.empty());
}

}  // namespace
