// The window's connection against the virtual handset: start-up's connect command through the
// port dialog, a failed connection, lazy expansion, and the connection watch.
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>

#include "link/diag_port.h"
#include "platform/pty_master.h"
#include "session/connection_status.h"
#include "ui/port_dialog.h"
#include "ui/profile_file.h"
#include "ui/wait_dialog.h"
#include "ui/window_startup.h"
#include "window_rig.h"

namespace {

TEST_F(WindowTest, StartUpConnectsThroughThePortDialogAndFillsTheTree)
{
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
    QTreeWidgetItem* top = Tree()->TopNode();
    ASSERT_NE(top, nullptr);
    EXPECT_TRUE(top->isExpanded());
    EXPECT_EQ(Tree()->currentItem(), top);
    EXPECT_EQ(top->childCount(), 3);  // a, nv and sub
    EXPECT_GE(RowOf("a.mif"), 0);
    EXPECT_TRUE(reports.texts.empty());
    EXPECT_EQ(ReadConfiguredPortName(""), handset.Port());
    EXPECT_TRUE(Tree()->ConnectionTimer()->isActive());
}

TEST_F(WindowTest, ExpandingReReadsAFailedConnectKeepsTheConfigurationAndConnectedAsksFirst)
{
    Connect();
    // Unread directories carry one placeholder so they show an expand button; a directory
    // without subdirectories loses it once read.
    QTreeWidgetItem* sub = Node("/SUB/");
    ASSERT_EQ(sub->childCount(), 1);
    EXPECT_EQ(sub->child(0)->text(0), "");
    sub->setExpanded(true);
    rig::fs::create_directories(handset.Device() / "sub" / "new");
    sub->setExpanded(false);
    sub->setExpanded(true);
    EXPECT_EQ(sub->childCount(), 2);
    Node("/sub/inner/")->setExpanded(true);
    EXPECT_EQ(Node("/sub/inner/")->childCount(), 0);

    const std::string good = rig::ReadText(config.IniFile());
    EXPECT_EQ(Tree()->ConnectToPort((handset.Scratch() / "no-such-port").string()), 21);
    EXPECT_EQ(Tree()->Link(), nullptr);
    EXPECT_EQ(rig::ReadText(config.IniFile()), good);
    ASSERT_EQ(Tree()->ConnectToPort(handset.Port()), 0);
    CDiagPort* link = Tree()->Link();
    reports.answers = {false};
    Tree()->OnDeviceConnect();
    EXPECT_EQ(reports.questions, Texts{"You are currently connected to a device. \n"
                                       "Do you wish to connect to a different device?"});
    EXPECT_EQ(Tree()->Link(), link);
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

TEST_F(WindowTest, AReconnectionOpensTheFolderThatWasSelectedOrTheDeepestLeft)
{
    Connect();
    auto lost = [&] { return Tree()->Link()->GetPhoneStatus() != phoneStatusReady; };
    rig::CHandsetRig second;
    second.PutDeviceFile("/nv/phone.cfg", rig::Bytes(512, 'c'));
    second.PutDeviceFile("/sub/inner/i.txt", rig::Bytes(1, 'x'));
    WriteConfiguredPortName(second.Port());
    Node("/sub/")->setExpanded(true);
    Tree()->setCurrentItem(Node("/sub/inner/"));
    ASSERT_NE(Node("/sub/inner/"), nullptr);
    handset.Unplug();
    ASSERT_TRUE(WaitWithEvents(lost, 20000));
    Tree()->OnTimer();
    ASSERT_NE(Tree()->currentItem(), nullptr);
    EXPECT_EQ(Tree()->NodePath(*Tree()->currentItem()), "sub/inner/");
    // A folder the handset no longer holds: its deepest folder still there.
    rig::CHandsetRig third;
    third.PutDeviceFile("/nv/phone.cfg", rig::Bytes(512, 'c'));
    third.PutDeviceFile("/sub/other.txt", rig::Bytes(1, 'x'));
    WriteConfiguredPortName(third.Port());
    second.Unplug();
    ASSERT_TRUE(WaitWithEvents(lost, 20000));
    Tree()->OnTimer();
    ASSERT_NE(Tree()->currentItem(), nullptr);
    EXPECT_EQ(Tree()->NodePath(*Tree()->currentItem()), "sub/");
    EXPECT_TRUE(reports.texts.empty());
}

TEST_F(WindowTest, AfterAnUnplugAClickShowsOneMessageAndTheLostHandsetEmptiesTheWindow)
{
    Connect();
    QLabel* pane = frame->StatusPaneLabel(statusPaneConnection);
    EXPECT_TRUE(frame->Action(cmdDeviceReset)->isEnabled());
    handset.Unplug();
    ASSERT_TRUE(WaitWithEvents([&] { return Tree()->Link()->GetPhoneStatus() != phoneStatusReady; },
                               20000));
    Tree()->setCurrentItem(Node("/sub/"));
    EXPECT_EQ(reports.texts, Texts{AppMessageText(msgCannotReadEfs)});
    // The reconnection finds nothing: the window shows no handset and offers no device command.
    WriteConfiguredPortName((handset.Scratch() / "gone").string());
    Tree()->OnTimer();
    EXPECT_EQ(Tree()->topLevelItemCount(), 0);
    EXPECT_EQ(List()->RowCount(), 0);
    EXPECT_EQ(pane->text(), "Disconnected");
    EXPECT_FALSE(frame->Action(cmdDeviceReset)->isEnabled());
    EXPECT_FALSE(frame->Action(cmdNewDirectory)->isEnabled());
    EXPECT_TRUE(frame->Action(cmdDeviceConnect)->isEnabled());
    EXPECT_EQ(reports.texts.size(), 1u);
}

TEST_F(WindowTest, TheWindowServesItsEventsFromAnUnplugThroughTheReconnection)
{
    Connect();
    QLabel* pane = frame->StatusPaneLabel(statusPaneConnection);
    rig::CHandsetRig second;
    second.PutDeviceFile("/nv/phone.cfg", rig::Bytes(512, 'c'));
    WriteConfiguredPortName(second.Port());
    QSignalSpy attempts(Tree(), &CDeviceTreeCtrl::ConnectionAttempted);
    // A probe on the window's thread: the longest time between two of its ticks, and whether it
    // saw the window disconnected on the way.
    QLineEdit typed;
    typed.show();
    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    bool sawDisconnected = false;
    bool typedWhileBusy = false;
    QTimer probe;
    probe.setInterval(10);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, sinceTick.restart());
        // A key typed while the watch's device work runs goes nowhere, then or later.
        if (!typedWhileBusy && CCommandInProgress::Any()) {
            typedWhileBusy = true;
            QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
            QCoreApplication::sendEvent(&typed, &key);
        }
        sawDisconnected = sawDisconnected || pane->text() == "Disconnected";
    });
    sinceTick.start();
    probe.start();
    handset.Unplug();
    // The connection watch's own timer finds the loss and reconnects.
    ASSERT_TRUE(WaitWithEvents(
        [&] { return attempts.count() == 1 && pane->text().startsWith("Mem free/total: "); },
        30000));
    probe.stop();
    EXPECT_TRUE(sawDisconnected);
    EXPECT_EQ(attempts[0][1].toInt(), 0);
    EXPECT_LE(longestGap, 150);
    EXPECT_TRUE(typedWhileBusy);
    EXPECT_EQ(typed.text(), "");
    EXPECT_NE(Tree()->TopNode(), nullptr);
    EXPECT_TRUE(reports.texts.empty());
}

TEST_F(WindowTest, CancelOrEscapeEndsAConnectAttemptToASilentPortAtOnce)
{
    Connect();
    QLabel* pane = frame->StatusPaneLabel(statusPaneConnection);
    std::string error;
    const std::unique_ptr<CPtyMaster> silent = CPtyMaster::Open(error);
    ASSERT_TRUE(silent) << error;
    const std::vector<std::function<void(CWaitDialog*)>> ways = {
        [](CWaitDialog* wait) { QTest::mouseClick(wait->CancelButton(), Qt::LeftButton); },
        [](CWaitDialog* wait) { QTest::keyClick(wait, Qt::Key_Escape); },
    };
    for (const auto& cancel : ways) {
        reports.answers = {true};  // connect again while connected
        WhenModal<CPortDialog>([&](CPortDialog* dialog) {
            dialog->PortBox()->setEditText(QString::fromStdString(silent->SlavePath()));
            dialog->accept();
        });
        QElapsedTimer sinceCancel;
        WhenModal<CWaitDialog>([&](CWaitDialog* wait) {
            sinceCancel.start();
            cancel(wait);
        });
        Tree()->OnDeviceConnect();
        EXPECT_LT(sinceCancel.elapsed(), 500);
        EXPECT_EQ(Tree()->Link(), nullptr);
        EXPECT_EQ(Tree()->topLevelItemCount(), 0);
        EXPECT_EQ(pane->text(), "Disconnected");
        EXPECT_TRUE(reports.texts.empty());
    }
}

}  // namespace
