// The other device commands from the window against the virtual handset: the list's sizes,
// opening rows, the module list, deletions, copy from the device, reset and offline.
#include <QMenu>
#include <QTreeView>

#include <algorithm>

#include "ui/copy_to_device_dialogs.h"
#include "ui/device_command_dialogs.h"
#include "ui/wait_dialog.h"
#include "window_rig.h"

namespace {

TEST_F(WindowTest, RootShowsDirectoriesThenMifFilesWithSizesInBothModes)
{
    Connect();
    EXPECT_EQ(Rows().mid(3), (QStringList{"a.mif|100 bytes|File", "b.mif|20 bytes|File"}));
    EXPECT_EQ(List()->Text(RowOf("a"), columnSize), "300 bytes");
    EXPECT_FALSE(List()->Text(RowOf("a.mif"), columnModified).isEmpty());
    frame->Action(cmdAllocatedSize)->trigger();
    EXPECT_EQ(List()->Text(RowOf("a"), columnSize), "480 bytes");
    Tree()->setCurrentItem(Node("/a/"));  // below the root every file is listed
    EXPECT_EQ(Rows(), QStringList{"a.mod|480 bytes|File"});

    // Without statistics sizes and dates are blank, the size modes grey, and the module list
    // asks the device.
    Connect([](sim::SimBehaviour& b) { b.usedFigureZero = true; });
    EXPECT_EQ(List()->Text(RowOf("a.mif"), columnSize) + List()->Text(RowOf("a.mif"), columnModified), "");
    EXPECT_FALSE(frame->Action(cmdActualSize)->isEnabled());
    Tree()->setCurrentItem(Node("/a/"));
    Tree()->OnModuleList();
    EXPECT_EQ(Rows(), (QStringList{"a||Module", "b||Module"}));
    EXPECT_EQ(Tree()->currentItem(), Tree()->TopNode());
}

TEST_F(WindowTest, DoubleClickOpensDirectoryAndModuleRowsAndTheModuleListIsCached)
{
    PutDevice("data/logs/deep/boot.log", "b");
    Connect();
    auto doubleClick = [&](int row) {
        QTreeView* view = List()->DetailsView();
        const QPoint at = view->visualRect(List()->Model()->index(row, columnName)).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    };
    Tree()->OnModuleList();
    EXPECT_EQ(Rows(), QStringList{"a|400 bytes|Module"});
    const size_t before = Requests();
    Tree()->OnModuleList();  // a fresh cache shows again without asking the device
    EXPECT_EQ(Requests(), before);
    // A failed load marks the cache stale while module rows show: they are not taken for the
    // root's rows when the cache is rebuilt.
    rig::fs::create_directories(handset.Pc() / "empty");
    WhenModal<CNewModuleDialog>([&](CNewModuleDialog* dialog) {
        dialog->SetModuleDirectory(QString::fromStdString((handset.Pc() / "empty").string()));
        dialog->SetModuleName("c");
        dialog->accept();
    });
    Tree()->OnNewModule();
    Tree()->OnModuleList();
    EXPECT_EQ(Rows(), QStringList{"a|400 bytes|Module"});
    EXPECT_EQ(reports.texts, Texts{"Error - No MIF file found in the specified PC directory"});
    doubleClick(0);
    EXPECT_EQ(Tree()->currentItem(), Node("/a/"));
    Tree()->setCurrentItem(Tree()->TopNode());
    for (const char* name : {"data", "logs", "deep"})  // deep: its parent is expanded first
        doubleClick(RowOf(name));
    doubleClick(0);  // a file: nothing happens
    EXPECT_EQ(Tree()->currentItem(), Node("/data/logs/deep/"));
}

TEST_F(WindowTest, DeletionsAskFirstAndTheTopNodeIsNeverDeleted)
{
    Connect();
    const size_t before = Requests();
    QApplication::setActiveWindow(frame.get());
    ASSERT_TRUE(WaitWithEvents([&] { return frame->isActiveWindow(); }));
    Tree()->setFocus();
    QTest::keyClick(Tree(), Qt::Key_Delete);
    EXPECT_EQ(reports.texts, Texts{"Error - You are not allowed to delete the VANT root directory"});
    EXPECT_EQ(Requests(), before);

    Tree()->setCurrentItem(Node("/sub/"));
    SelectRows({1, 2, 3});
    reports.answers = {false, true};
    Tree()->OnDeleteRows();
    SelectRows({1, 3});
    Tree()->OnDeleteRows();
    EXPECT_EQ(Rows(), (QStringList{"inner|1 bytes|Directory", "b.txt|1 bytes|File"}));
    // With the focus in the list, Delete deletes rows rather than the selected directory.
    QApplication::setActiveWindow(frame.get());
    ASSERT_TRUE(WaitWithEvents([&] { return frame->isActiveWindow(); }));
    List()->DetailsView()->setFocus();
    SelectRows({1});
    reports.answers = {false};
    frame->Action(cmdDelete)->trigger();
    EXPECT_EQ(reports.questions, (Texts{"Are you sure you want to delete these 3 item(s)?",
                                        "Are you sure you want to delete these 2 item(s)?",
                                        "Are you sure you want to delete these 1 item(s)?"}));
    EXPECT_TRUE(OnDevice("sub/b.txt"));
    EXPECT_FALSE(OnDevice("sub/a.txt") || OnDevice("sub/c.txt"));
    reports.answers = {false, true};
    Tree()->OnDeleteDirectory(false);
    Tree()->OnDeleteDirectory(true);
    EXPECT_EQ(Texts(reports.questions.end() - 2, reports.questions.end()),
              (Texts{"Are you sure you want to delete directory: sub", "Are you sure you want to delete directory:\nsub"}));
    EXPECT_FALSE(OnDevice("sub"));
    EXPECT_EQ(Node("/sub/"), nullptr);

    // Module rows delete modules; the Delete Module dialog is preset with the one selected row.
    Tree()->OnModuleList();
    SelectRows({0});
    Tree()->OnDeleteRows();
    EXPECT_FALSE(OnDevice("a.mif") || OnDevice("a"));
    EXPECT_TRUE(Tree()->ModuleCache().stale);
    SelectRows({RowOf("nv")});
    WhenModal<CDeleteModuleDialog>([](CDeleteModuleDialog* dialog) {
        EXPECT_EQ(dialog->ModuleName(), "nv");
        dialog->SetModuleName("");
        dialog->accept();
    });
    Tree()->OnDeleteModule();
    EXPECT_EQ(reports.texts.back(), "Error - Module name was not specified");
}

TEST_F(WindowTest, TheListContextMenuRunsItsCommandAndCopyFromDeviceFetchesTheSelectedFile)
{
    Connect();
    Tree()->setCurrentItem(Node("/sub/"));
    SelectRows({RowOf("b.txt")});
    QStringList offered;
    QTimer chooser;
    QObject::connect(&chooser, &QTimer::timeout, [&] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            chooser.stop();
            for (QAction* action : menu->actions())
                offered << action->text();
            menu->actions().front()->trigger();
            menu->close();
        }
    });
    chooser.start(10);
    WhenModal<CCopyFromPhoneDialog>([&](CCopyFromPhoneDialog* dialog) {
        EXPECT_EQ(dialog->DeviceFile(), "/sub/b.txt");
        dialog->SetDestinationDirectory(QString::fromStdString(handset.Pc().string()));
        dialog->accept();
    });
    Tree()->ShowListContextMenu(Tree()->mapToGlobal(QPoint(10, 10)));
    EXPECT_EQ(offered, (QStringList{"&Copy from Device...", "&Delete"}));
    EXPECT_EQ(rig::ReadText(handset.Pc() / "b.txt"), "x");
    EXPECT_TRUE(reports.texts.empty());
}

TEST_F(WindowTest, EnterBackspaceF5AndDeleteWorkOnFoldersAndRows)
{
    Connect();
    Tree()->setCurrentItem(Node("/sub/"));
    QWidget* rows = List()->DetailsView();
    SelectRows({RowOf("inner")});
    QTest::keyClick(rows, Qt::Key_Return);
    EXPECT_EQ(Tree()->currentItem(), Node("/sub/inner/"));
    QTest::keyClick(rows, Qt::Key_Backspace);
    EXPECT_EQ(Tree()->currentItem(), Node("/sub/"));
    QTest::keyClick(Tree(), Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(Tree()->currentItem(), Tree()->TopNode());
    Tree()->setCurrentItem(Node("/sub/"));
    PutDevice("sub/late.txt", "l");
    PutDevice("sub/later/x.txt", "x");
    QTest::keyClick(Tree(), Qt::Key_F5);
    EXPECT_NE(RowOf("late.txt"), -1);
    EXPECT_NE(Node("/sub/later/"), nullptr);
    SelectRows({RowOf("late.txt")});
    QTest::keyClick(rows, Qt::Key_Delete);
    EXPECT_EQ(reports.questions, Texts{"Are you sure you want to delete these 1 item(s)?"});
    EXPECT_FALSE(OnDevice("sub/late.txt"));
    EXPECT_EQ(RowOf("late.txt"), -1);
}

TEST_F(WindowTest, ColumnsShowTheirWholeContentAndTheWaitWindowOpensOverTheFrame)
{
    Connect();
    Tree()->setCurrentItem(Node("/sub/"));
    ASSERT_FALSE(List()->Text(RowOf("a.txt"), columnModified).isEmpty());
    const QAbstractItemView* details = List()->DetailsView();
    for (int column = 0; column < columnCount; ++column)
        EXPECT_GE(List()->DetailsView()->columnWidth(column), details->sizeHintForColumn(column))
            << column;
    CWaitScope wait(msgResetting);
    const QPoint offset = wait.Dialog().frameGeometry().center() - frame->frameGeometry().center();
    EXPECT_LE(offset.manhattanLength(), 8);  // within the window frame's margins
}

TEST_F(WindowTest, OfflineAndResetReportTheirResults)
{
    frame = std::make_unique<CMainFrame>(CMainFrameOptions{0});
    Tree()->OnOffline();
    EXPECT_EQ(reports.texts, Texts{"Error - Invalid port handle passed. Please make sure to connect to the device first"});
    Connect([](sim::SimBehaviour& b) { b.resetAbsence = std::chrono::milliseconds(300); });
    Tree()->OnOffline();
    Tree()->OnReset();
    EXPECT_EQ(reports.texts, (Texts{"Device is now offline", "Device is now online"}));
}

}  // namespace
