// The connection and the device tree against the virtual handset: start-up's connect command,
// the configuration file, lazy expansion, node lookup, and the connection watch.
#include <QLabel>
#include <QSignalSpy>
#include <QTimer>

#include "device_window_fixture.h"
#include "link/diag_port.h"
#include "ui/connection_status.h"
#include "ui/port_dialog.h"
#include "ui/profile_file.h"
#include "ui/wait_dialog.h"
#include "ui/window_startup.h"

namespace {

TEST_F(DeviceWindowTest, StartUpConnectsThroughThePortDialogAndFillsTheTree)
{
    PutDeviceFile("subdir/inner/f.txt", "x");
    PutDeviceFile("chess.mif", "m");
    StartHandset();
    std::vector<QString> waitTexts;
    WhenModal<CPortDialog>([&](CPortDialog* dialog) {
        EXPECT_EQ(dialog->PortBox()->currentText(), "COM1");  // no configuration file yet
        dialog->PortBox()->setEditText(QString::fromStdString(host->SlavePath()));
        dialog->accept();
    });
    CWindowStartup startup;
    startup.connectAtStart = [&](CMainFrame& started) {
        InstallCapture();  // in place of the window's message boxes
        started.GetLeftView()->Tree()->ConnectAtStart();
    };
    frame.reset(StartMainWindow(startup, 0));
    ASSERT_TRUE(frame);
    frame->setAttribute(Qt::WA_DeleteOnClose, false);

    QTreeWidgetItem* top = Tree()->TopNode();
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->text(0), "/");
    EXPECT_TRUE(top->isExpanded());
    EXPECT_EQ(Tree()->currentItem(), top);
    QStringList labels = ChildLabels(top);
    labels.sort();
    EXPECT_EQ(labels, (QStringList{"nv", "subdir"}));
    // Unread directories carry one placeholder so they show an expand button.
    EXPECT_EQ(ChildLabels(Node("/subdir/")), QStringList{""});
    EXPECT_EQ(RowOf("chess.mif") >= 0, true);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(ReadConfiguredPortName(""), host->SlavePath());
    EXPECT_TRUE(Tree()->ConnectionTimer()->isActive());
}

TEST_F(DeviceWindowTest, AFailedConnectionLeavesNoLinkAndTheConfigurationUnchanged)
{
    Connect();
    const std::string good = ReadFile(config.IniFile());
    ASSERT_NE(good.find("PortName=" + host->SlavePath()), std::string::npos);

    const std::string missing = (scratch.Path() / "no-such-port").string();
    EXPECT_EQ(Tree()->ConnectToPort(missing), 21);
    EXPECT_EQ(Tree()->Link(), nullptr);
    EXPECT_EQ(ReadFile(config.IniFile()), good);

    // Connect while connected asks first; No keeps the link and opens no dialog.
    ASSERT_EQ(Tree()->ConnectToPort(host->SlavePath()), msgSuccess);
    CDiagPort* link = Tree()->Link();
    answers = {false};
    Tree()->OnDeviceConnect();
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0], "You are currently connected to a device. \n"
                            "Do you wish to connect to a different device?");
    EXPECT_EQ(Tree()->Link(), link);
    EXPECT_TRUE(messages.empty());
}

TEST_F(DeviceWindowTest, ExpandingReReadsTheDeviceAndFindsNodesWithoutRegardToCase)
{
    PutDeviceFile("subdir/old/f.txt", "x");
    Connect();
    QTreeWidgetItem* subdir = Node("/SUBDIR/");
    ASSERT_NE(subdir, nullptr);
    EXPECT_EQ(subdir->text(0), "subdir");

    subdir->setExpanded(true);
    EXPECT_EQ(ChildLabels(subdir), QStringList{"old"});
    fs::create_directories(device / "subdir" / "new");
    const size_t before = Requests();
    subdir->setExpanded(false);  // collapsing re-reads too, keeping fresh placeholders
    subdir->setExpanded(true);
    EXPECT_GT(Requests(), before);
    QStringList labels = ChildLabels(subdir);
    labels.sort();
    EXPECT_EQ(labels, (QStringList{"new", "old"}));

    // A directory without subdirectories loses its expand button once read.
    QTreeWidgetItem* old = Node("/subdir/old/");
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(old->childCount(), 1);
    old->setExpanded(true);
    EXPECT_EQ(old->childCount(), 0);
    EXPECT_EQ(Tree()->NodePath(*old), "subdir/old/");
}

TEST_F(DeviceWindowTest, ALostHandsetShowsDisconnectedAndIsReconnectedOnceToTheConfiguredPort)
{
    Connect();
    QLabel* pane = frame->StatusPaneLabel(statusPaneConnection);
    Tree()->OnTimer();
    EXPECT_TRUE(pane->text().startsWith("Mem free/total: ")) << pane->text();

    // A second handset takes over as the configured port; the first goes away.
    auto first = std::move(host);
    StartHandset();
    WriteConfiguredPortName(host->SlavePath());
    first.reset();
    ASSERT_TRUE(WaitUntil([&] { return Tree()->Link()->GetPhoneStatus() != phoneStatusReady; },
                          20000));

    QSignalSpy attempts(Tree(), &CDeviceTreeCtrl::ConnectionAttempted);
    {
        // While a command runs the watch leaves the link alone.
        CCommandInProgress command;
        Tree()->OnTimer();
        EXPECT_EQ(attempts.count(), 0);
    }
    Tree()->OnTimer();
    ASSERT_EQ(attempts.count(), 1);
    EXPECT_EQ(attempts[0][0].toString().toStdString(), host->SlavePath());
    EXPECT_EQ(attempts[0][1].toInt(), msgSuccess);
    EXPECT_TRUE(pane->text().startsWith("Mem free/total: ")) << pane->text();
    EXPECT_EQ(Tree()->currentItem(), Tree()->TopNode());

    // Now the configured port is gone too: one attempt, "Disconnected", and no more tries.
    const std::string gone = host->SlavePath();
    host.reset();
    ASSERT_TRUE(WaitUntil([&] { return Tree()->Link()->GetPhoneStatus() != phoneStatusReady; },
                          20000));
    Tree()->OnTimer();
    EXPECT_EQ(pane->text(), "Disconnected");
    EXPECT_EQ(attempts.count(), 2);
    EXPECT_EQ(Tree()->Link(), nullptr);
    Tree()->OnTimer();
    EXPECT_EQ(attempts.count(), 2);
    EXPECT_TRUE(messages.empty());
}

}  // namespace
