// Deletions, copy from the device, reset and offline from the window, against the virtual
// handset.
#include <QMenu>
#include <QTimer>

#include "device_window_fixture.h"
#include "ui/command_ids.h"
#include "ui/device_command_dialogs.h"

namespace {

class DeviceCommandsTest : public DeviceWindowTest {
protected:
    void SetUp() override
    {
        DeviceWindowTest::SetUp();
        PutDeviceFile("sub/a.txt", "a");
        PutDeviceFile("sub/b.txt", "b");
        PutDeviceFile("sub/c.txt", "c");
        PutDeviceFile("chess.mif", "info");
        PutDeviceFile("chess/chess.mod", std::string(200, 'm'));
    }
};

TEST_F(DeviceCommandsTest, TheTopNodeIsNeverDeletedAndNothingIsSent)
{
    Connect();
    const size_t before = Requests();
    Tree()->OnDeleteDirectory(false);
    frame->show();
    QApplication::setActiveWindow(frame.get());
    Tree()->setFocus();
    QTest::keyClick(Tree(), Qt::Key_Delete);
    const std::string refusal = "Error - You are not allowed to delete the VANT root directory";
    EXPECT_EQ(messages, (std::vector<std::string>{refusal, refusal}));
    EXPECT_TRUE(questions.empty());
    EXPECT_EQ(Requests(), before);
}

TEST_F(DeviceCommandsTest, DeletingADirectoryAsksWithItsLabelThenRemovesTheTreeAndTheNode)
{
    Connect();
    Tree()->setCurrentItem(Node("/sub/"));
    answers = {false, true};
    Tree()->OnDeleteDirectory(false);
    EXPECT_TRUE(fs::exists(device / "sub" / "a.txt"));
    Tree()->OnDeleteDirectory(true);
    EXPECT_EQ(questions, (std::vector<std::string>{"Are you sure you want to delete directory: sub",
                                                   "Are you sure you want to delete directory:\nsub"}));
    EXPECT_FALSE(fs::exists(device / "sub"));
    EXPECT_EQ(Node("/sub/"), nullptr);
    EXPECT_TRUE(messages.empty());
}

TEST_F(DeviceCommandsTest, DeletingSelectedRowsAsksWithTheirNumber)
{
    Connect();
    Tree()->setCurrentItem(Node("/sub/"));
    SelectRows({0, 1, 2});
    answers = {false};
    Tree()->OnDeleteRows();
    EXPECT_EQ(questions, std::vector<std::string>{"Are you sure you want to delete these 3 item(s)?"});
    EXPECT_EQ(List()->RowCount(), 3);

    SelectRows({0, 2});
    Tree()->OnDeleteRows();
    EXPECT_FALSE(fs::exists(device / "sub" / "a.txt"));
    EXPECT_TRUE(fs::exists(device / "sub" / "b.txt"));
    EXPECT_FALSE(fs::exists(device / "sub" / "c.txt"));
    EXPECT_EQ(Rows(), QStringList{"b.txt|1 bytes|File"});

    // With the focus in the list, Delete deletes rows rather than the selected directory.
    frame->show();
    QApplication::setActiveWindow(frame.get());
    ASSERT_TRUE(WaitUntil([&] { return frame->isActiveWindow(); }));
    List()->DetailsView()->setFocus();
    SelectRows({0});
    answers = {false};
    frame->Action(cmdDelete)->trigger();
    EXPECT_EQ(questions.back(), "Are you sure you want to delete these 1 item(s)?");
}

TEST_F(DeviceCommandsTest, TheListContextMenuFollowsTheSelectionAndDeletesRows)
{
    Connect();
    Tree()->setCurrentItem(Node("/sub/"));
    SelectRows({RowOf("b.txt")});
    QStringList offered;
    QTimer chooser;
    QObject::connect(&chooser, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr)
            return;
        chooser.stop();
        for (QAction* action : menu->actions())
            offered << action->text();
        menu->actions().back()->trigger();  // "&Delete", with the focus still in the tree
        menu->close();
    });
    chooser.start(10);
    answers = {false};
    Tree()->ShowListContextMenu(Tree()->mapToGlobal(QPoint(10, 10)));
    EXPECT_EQ(offered, (QStringList{"&Copy from Device...", "&Delete"}));
    EXPECT_EQ(questions, std::vector<std::string>{"Are you sure you want to delete these 1 item(s)?"});
}

TEST_F(DeviceCommandsTest, ModulesAreDeletedFromTheModuleListAndTheDialog)
{
    Connect();
    Tree()->OnModuleList();
    ASSERT_EQ(Rows(), QStringList{"chess|204 bytes|Module"});
    SelectRows({0});
    Tree()->OnDeleteRows();
    EXPECT_FALSE(fs::exists(device / "chess.mif"));
    EXPECT_FALSE(fs::exists(device / "chess"));
    EXPECT_TRUE(Tree()->ModuleCache().stale);

    // The dialog is preset with the one selected row's name, whatever its kind.
    SelectRows({RowOf("sub")});
    WhenModal<CDeleteModuleDialog>([](CDeleteModuleDialog* dialog) {
        EXPECT_EQ(dialog->ModuleName(), "sub");
        dialog->SetModuleName("");
        dialog->accept();
    });
    Tree()->OnDeleteModule();
    EXPECT_EQ(messages, std::vector<std::string>{"Error - Module name was not specified"});
}

TEST_F(DeviceCommandsTest, CopyFromDeviceFetchesAFileRowAndIgnoresADirectoryRow)
{
    Connect();
    // A directory row makes the command do nothing: no dialog, no request.
    bool dialogShown = false;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            dialogShown = true;
            modal->close();
        }
    });
    closer.start(20);
    SelectRows({RowOf("sub")});
    const size_t before = Requests();
    Tree()->OnCopyFromDevice();
    closer.stop();
    EXPECT_FALSE(dialogShown);
    EXPECT_EQ(Requests(), before);

    Tree()->setCurrentItem(Node("/sub/"));
    SelectRows({RowOf("b.txt")});
    const QString destination = QString::fromStdString(pc.string());
    WhenModal<CCopyFromPhoneDialog>([&](CCopyFromPhoneDialog* dialog) {
        EXPECT_EQ(dialog->DeviceFile(), "/sub/b.txt");
        dialog->SetDestinationDirectory(destination);
        dialog->accept();
    });
    Tree()->OnCopyFromDevice();
    EXPECT_EQ(ReadFile(pc / "b.txt"), "b");
    EXPECT_TRUE(messages.empty());
}

TEST_F(DeviceCommandsTest, OfflineAndResetReportTheirResults)
{
    StartHandset([](sim::SimBehaviour& behaviour) {
        behaviour.resetAbsence = std::chrono::milliseconds(300);
    });
    frame = std::make_unique<CMainFrame>(CMainFrameOptions{0});
    Tree()->OnOffline();
    EXPECT_EQ(messages, std::vector<std::string>{"Error - Invalid port handle passed. Please make "
                                                 "sure to connect to the device first"});
    Connect();
    Tree()->OnOffline();
    Tree()->OnReset();
    EXPECT_EQ(messages, (std::vector<std::string>{"Device is now offline", "Device is now online"}));
}

}  // namespace
