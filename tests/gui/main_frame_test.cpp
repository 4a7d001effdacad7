// The main frame: menus with their prompts, toolbar, splitter, status bar, the command rules on
// the real widgets, the view and size modes, the device tree's node paths, and start-up.
#include "ui/main_frame.h"

#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QSplitter>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QTreeView>

#include "gui_helpers.h"
#include "ui/command_ids.h"
#include "ui/device_tree_ctrl.h"
#include "ui/left_view.h"
#include "ui/list_view.h"
#include "ui/size_display_mode.h"
#include "ui/splash_window.h"
#include "ui/wait_dialog.h"
#include "ui/window_startup.h"

namespace {

class MainFrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CSplashWindow::EnableSplashScreen(false);
        EfsStatsAvailable = true;
        SizeDisplayMode = sizeModeActual;
        frame = std::make_unique<CMainFrame>(CMainFrameOptions{0});
        // These tests look at the frame alone: device commands stop at its signal.
        QObject::disconnect(frame.get(), &CMainFrame::CommandRequested,
                            frame->GetLeftView()->Tree(), nullptr);
    }
    void TearDown() override
    {
        frame.reset();
        CSplashWindow::EnableSplashScreen(true);
        EfsStatsAvailable = true;
        SizeDisplayMode = sizeModeActual;
    }

    // The texts of a menu's entries; separators are "-", pop-ups "text>".
    static QStringList Entries(const QMenu* menu)
    {
        QStringList texts;
        for (const QAction* action : menu->actions()) {
            if (action->isSeparator())
                texts << "-";
            else if (action->menu())
                texts << action->text() + ">";
            else
                texts << action->text();
        }
        return texts;
    }

    QMenu* TopMenu(int index) const { return frame->menuBar()->actions()[index]->menu(); }

    CTarlo32View* List() const { return frame->GetListView(); }

    void FillList()
    {
        List()->AddItem("sub", 4096, ItemKind::directory, "");
        List()->AddItem("a.mif", 120, ItemKind::file, "01/06/80, 00:00:00");
        List()->AddItem("b.txt", -1, ItemKind::file, "");
    }

    void SelectRows(std::initializer_list<int> rows)
    {
        List()->Selection()->clearSelection();
        for (int row : rows)
            List()->Selection()->select(List()->Model()->index(row, 0),
                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    bool Enabled(int id) const { return frame->Action(id)->isEnabled(); }

    std::unique_ptr<CMainFrame> frame;
};

TEST_F(MainFrameTest, MenusHoldEveryItemInOrder)
{
    QStringList titles;
    for (const QAction* action : frame->menuBar()->actions())
        titles << action->text();
    EXPECT_EQ(titles, (QStringList{"&File", "&Module", "&View", "&Device", "&Help"}));
    EXPECT_EQ(Entries(TopMenu(0)),
              (QStringList{"&New>", "&Copy from Device...", "&Delete", "-", "E&xit"}));
    EXPECT_EQ(Entries(TopMenu(0)->actions()[0]->menu()),
              (QStringList{"&File...", "&Directory..."}));
    EXPECT_EQ(Entries(TopMenu(1)), (QStringList{"&New...", "&Delete...", "&List"}));
    EXPECT_EQ(Entries(TopMenu(2)),
              (QStringList{"&Toolbar", "&Status Bar", "-", "Lar&ge Icons", "S&mall Icons", "&List",
                           "&Details", "-", "&Actual Size", "A&llocated Size"}));
    EXPECT_EQ(Entries(TopMenu(3)), (QStringList{"&Connect...", "&Reset", "&Offline"}));
    EXPECT_EQ(Entries(TopMenu(4)), QStringList{"&About ORLEY..."});
}

TEST_F(MainFrameTest, ItemsCarryTheirPromptsAndToolTips)
{
    EXPECT_EQ(frame->Action(cmdDeviceOffline)->statusTip(), "Put device in offline mode");
    EXPECT_EQ(frame->Action(cmdDeviceOffline)->toolTip(), "Put device offline");
    EXPECT_EQ(frame->Action(cmdModuleDelete)->statusTip(), "Delete a file from device");
    EXPECT_EQ(frame->Action(cmdCopyFromDevice)->toolTip(), "Save file locally");
    EXPECT_EQ(frame->Action(cmdViewSmallIcons)->statusTip(), "Display items by using small icons");
}

TEST_F(MainFrameTest, PromptsShowInTheMessagePaneAndReadyReturns)
{
    QLabel* message = frame->StatusPaneLabel(statusPaneMessage);
    EXPECT_EQ(message->text(), "Ready");
    QStatusTipEvent hover(frame->Action(cmdDeviceReset)->statusTip());
    QApplication::sendEvent(frame.get(), &hover);
    EXPECT_EQ(message->text(), "Reset device");
    QStatusTipEvent leave{QString()};
    QApplication::sendEvent(frame.get(), &leave);
    EXPECT_EQ(message->text(), "Ready");
}

TEST_F(MainFrameTest, F6MovesBetweenTheTwoPanes)
{
    frame->show();
    QApplication::setActiveWindow(frame.get());
    ASSERT_TRUE(WaitUntil([&] { return frame->isActiveWindow(); }));
    frame->GetLeftView()->Tree()->setFocus();
    QTest::keyClick(frame->GetLeftView()->Tree(), Qt::Key_F6);
    EXPECT_EQ(QApplication::focusWidget(), List()->DetailsView());
    QTest::keyClick(List()->DetailsView(), Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), frame->GetLeftView()->Tree());
}

TEST_F(MainFrameTest, ToolbarButtonsInOrder)
{
    QStringList buttons;
    for (const QAction* action : frame->ToolBar()->actions())
        buttons << (action->isSeparator() ? "-" : action->objectName());
    EXPECT_EQ(buttons, (QStringList{"32778", "-", "32772", "-", "32773", "-", "32780", "-",
                                    "59409", "59408", "59410", "59411"}));
    EXPECT_EQ(frame->toolBarArea(frame->ToolBar()), Qt::TopToolBarArea);
    for (const QAction* action : frame->ToolBar()->actions())
        EXPECT_TRUE(action->isSeparator() || !action->icon().isNull()) << action->objectName();
}

TEST_F(MainFrameTest, SplitterHasTheTreeTwoHundredPixelsWideOnTheLeft)
{
    frame->show();
    ASSERT_TRUE(WaitUntil([&] { return frame->Splitter()->sizes().value(0) > 0; }));
    EXPECT_EQ(frame->Splitter()->sizes().value(0), 200);
    EXPECT_NE(frame->GetLeftView(), nullptr);
    EXPECT_NE(frame->GetListView(), nullptr);
    EXPECT_NE(frame->GetLeftView()->Tree(), nullptr);
}

TEST_F(MainFrameTest, StatusBarHasSixPanesThatSurviveHidingIt)
{
    frame->show();
    auto texts = [&] {
        QStringList result;
        for (int pane = 0; pane < statusPaneCount; ++pane)
            result << frame->StatusPaneLabel(pane)->text().trimmed();
        return result;
    };
    const QStringList expected = {"Ready", "Disconnected", "CAP", "NUM", "SCRL", "ORLEY"};
    EXPECT_EQ(texts(), expected);
    EXPECT_GE(frame->StatusPaneLabel(statusPaneMessage)->width(), 250);
    EXPECT_GE(frame->StatusPaneLabel(statusPaneProduct)->width(), 75);
    const int connectionWidth = frame->StatusPaneLabel(statusPaneConnection)->width();
    EXPECT_GT(connectionWidth, frame->StatusPaneLabel(statusPaneCaps)->width() * 3);

    frame->Action(cmdViewStatusBar)->trigger();
    EXPECT_FALSE(frame->statusBar()->isVisible());
    EXPECT_FALSE(frame->Action(cmdViewStatusBar)->isChecked());
    frame->Action(cmdViewStatusBar)->trigger();
    EXPECT_TRUE(frame->statusBar()->isVisible());
    EXPECT_EQ(texts(), expected);
    EXPECT_EQ(frame->StatusPaneLabel(statusPaneConnection)->width(), connectionWidth);
}

TEST_F(MainFrameTest, ConnectionPaneShowsTheLinkState)
{
    frame->UpdateConnectionStatus(0, 0);
    EXPECT_EQ(frame->StatusPaneLabel(statusPaneConnection)->text(), "Disconnected");
    frame->UpdateConnectionStatus(300, 1024);
    EXPECT_EQ(frame->StatusPaneLabel(statusPaneConnection)->text(), "Mem free/total: 300K / 1024K");
    EfsStatsAvailable = false;
    frame->UpdateConnectionStatus(1, 1);
    EXPECT_EQ(frame->StatusPaneLabel(statusPaneConnection)->text(), "Connected");
}

TEST_F(MainFrameTest, CommandsFollowTheListSelection)
{
    FillList();
    SelectRows({});
    EXPECT_TRUE(Enabled(cmdModuleNew));
    EXPECT_TRUE(Enabled(cmdNewFile));

    SelectRows({1});  // a File row
    EXPECT_FALSE(Enabled(cmdNewFile));
    EXPECT_FALSE(Enabled(cmdModuleNew));
    EXPECT_TRUE(Enabled(cmdCopyFromDevice));
    EXPECT_FALSE(Enabled(cmdModuleDelete));

    SelectRows({0});  // a Directory row
    EXPECT_TRUE(Enabled(cmdNewDirectory));
    EXPECT_FALSE(Enabled(cmdCopyFromDevice));

    SelectRows({0, 2});
    EXPECT_FALSE(Enabled(cmdNewFile));
    EXPECT_FALSE(Enabled(cmdCopyFromDevice));
    EXPECT_TRUE(Enabled(cmdDeviceReset));
}

TEST_F(MainFrameTest, SizeModesAreGreyWithoutStatisticsAtTheNextUpdate)
{
    EXPECT_TRUE(Enabled(cmdActualSize));
    EXPECT_TRUE(frame->Action(cmdActualSize)->isChecked());
    EfsStatsAvailable = false;
    frame->UpdateCommandStates();
    EXPECT_FALSE(Enabled(cmdActualSize));
    EXPECT_FALSE(Enabled(cmdAllocatedSize));
}

TEST_F(MainFrameTest, SwitchingSizeModeTwiceRefreshesOnceBehindTheWaitWindow)
{
    QSignalSpy refreshes(frame.get(), &CMainFrame::SizeDisplayModeChanged);
    QString waitText;
    QObject::connect(frame.get(), &CMainFrame::SizeDisplayModeChanged, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* wait = qobject_cast<CWaitDialog*>(widget); wait && wait->isVisible())
                waitText = wait->Text();
        }
    });
    frame->Action(cmdAllocatedSize)->trigger();
    frame->Action(cmdAllocatedSize)->trigger();
    EXPECT_EQ(refreshes.count(), 1);
    EXPECT_EQ(SizeDisplayMode, sizeModeAllocated);
    EXPECT_EQ(waitText, "Updating view. Please wait .....");
    EXPECT_TRUE(frame->Action(cmdAllocatedSize)->isChecked());
    EXPECT_FALSE(frame->Action(cmdActualSize)->isChecked());
}

TEST_F(MainFrameTest, ViewModesSwitchTheListAndMarkTheMode)
{
    FillList();
    frame->Action(cmdViewLargeIcons)->trigger();
    EXPECT_EQ(List()->Mode(), ViewMode::largeIcons);
    EXPECT_TRUE(frame->Action(cmdViewLargeIcons)->isChecked());
    EXPECT_FALSE(frame->Action(cmdViewDetails)->isChecked());
    EXPECT_TRUE(Enabled(cmdViewArrange));
    EXPECT_EQ(List()->RowCount(), 3);  // a mode switch keeps the rows
    frame->Action(cmdViewList)->trigger();
    EXPECT_FALSE(Enabled(cmdViewArrange));
    frame->Action(cmdViewDetails)->trigger();
    EXPECT_EQ(List()->Mode(), ViewMode::details);
}

TEST_F(MainFrameTest, DeviceCommandsAreHandedOn)
{
    QSignalSpy requests(frame.get(), &CMainFrame::CommandRequested);
    for (int id : {cmdDeviceConnect, cmdDeviceReset, cmdDeviceOffline, cmdModuleList, cmdNewFile,
                   cmdNewDirectory, cmdDelete, cmdModuleNew, cmdModuleDelete, cmdCopyFromDevice})
        frame->Action(id)->trigger();
    ASSERT_EQ(requests.count(), 10);
    EXPECT_EQ(requests[0][0].toInt(), cmdDeviceConnect);
    EXPECT_EQ(requests[9][0].toInt(), cmdCopyFromDevice);
}

TEST_F(MainFrameTest, ListRowsShowSizesTypesAndStayInTheirOrder)
{
    FillList();
    EXPECT_EQ(List()->Text(0, columnSize), "4096 bytes");
    EXPECT_EQ(List()->Text(0, columnType), "Directory");
    EXPECT_EQ(List()->Text(2, columnSize), "");
    EXPECT_EQ(List()->Text(1, columnModified), "01/06/80, 00:00:00");

    frame->show();
    QHeaderView* header = List()->DetailsView()->header();
    EXPECT_EQ(header->sectionSize(columnName), 150);
    EXPECT_EQ(header->sectionSize(columnSize), 110);
    EXPECT_EQ(header->sectionSize(columnType), 100);
    EXPECT_EQ(header->sectionSize(columnModified), 120);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(columnName) + 20, 5));
    EXPECT_EQ(List()->Text(0, columnName), "sub");
    EXPECT_EQ(List()->Text(1, columnName), "a.mif");
    EXPECT_EQ(List()->Text(2, columnName), "b.txt");
}

TEST_F(MainFrameTest, ContextMenusFollowTheirRules)
{
    QSignalSpy requests(frame.get(), &CMainFrame::CommandRequested);
    std::unique_ptr<QMenu> tree(frame->CreateContextMenu(TreeContextMenu(), false));
    EXPECT_EQ(Entries(tree.get()), (QStringList{"New>", "&Delete", "View>"}));
    QMenu* newMenu = tree->actions()[0]->menu();
    EXPECT_EQ(Entries(newMenu), (QStringList{"&File...", "&Directory...", "&Module..."}));
    EXPECT_FALSE(newMenu->actions()[2]->isEnabled());  // a node below the top is selected
    QMenu* view = tree->actions()[2]->menu();
    EXPECT_EQ(Entries(view), (QStringList{"Lar&ge Icons", "S&mall Icons", "&LIst", "&Details",
                                          "&Actual Size", "A&llocated Size"}));
    EXPECT_TRUE(view->actions()[4]->isChecked());
    newMenu->actions()[0]->trigger();
    ASSERT_EQ(requests.count(), 1);
    EXPECT_EQ(requests[0][0].toInt(), cmdNewFile);

    EfsStatsAvailable = false;
    std::unique_ptr<QMenu> atTop(
        frame->CreateContextMenu(ListContextMenuItems(listMenuNoRows), true));
    EXPECT_TRUE(atTop->actions()[0]->menu()->actions()[2]->isEnabled());
    EXPECT_FALSE(atTop->actions()[1]->menu()->actions()[4]->isEnabled());
    EXPECT_EQ(atTop->actions()[1]->menu()->actions()[2]->text(), "&List");

    std::unique_ptr<QMenu> oneFile(frame->CreateContextMenu(
        ListContextMenuItems(ListContextMenuFor({ItemKind::file})), false));
    EXPECT_EQ(Entries(oneFile.get()), (QStringList{"&Copy from Device...", "&Delete"}));
    std::unique_ptr<QMenu> folder(frame->CreateContextMenu(
        ListContextMenuItems(ListContextMenuFor({ItemKind::module})), false));
    EXPECT_EQ(Entries(folder.get()), (QStringList{"New>", "&Delete"}));
}

TEST_F(MainFrameTest, TreeNodesAreFoundByTheirPathsWithoutRegardToCase)
{
    CDeviceTreeCtrl* tree = frame->GetLeftView()->Tree();
    QTreeWidgetItem* top = tree->ResetToTopNode();
    QTreeWidgetItem* subdir = tree->AddDirectoryNode(top, "subdir");
    QTreeWidgetItem* deep = tree->AddDirectoryNode(subdir, "Deep");
    EXPECT_EQ(top->text(0), "/");
    EXPECT_EQ(top->childCount(), 2);  // its unread placeholder and subdir
    EXPECT_EQ(tree->NodeByPath("/SUBDIR/", ""), subdir);
    EXPECT_EQ(tree->NodeByPath("/subdir/deep/file.txt", ""), deep);
    EXPECT_EQ(tree->NodeByPath("/other/", ""), nullptr);
    EXPECT_EQ(tree->NodePath(*deep, ""), "subdir/Deep/");
    EXPECT_EQ(tree->NodePath(*top, ""), "");
}

TEST(WindowStartup, SetsUpReportingTitleAndSizeModeThenConnects)
{
    CSplashWindow::EnableSplashScreen(false);
    OutputMode = outputModeConsole;
    SizeDisplayMode = sizeModeAllocated;
    CMainFrame* connectedFrame = nullptr;
    CWindowStartup startup;
    startup.connectAtStart = [&](CMainFrame& frame) {
        connectedFrame = &frame;
        EXPECT_TRUE(frame.isVisible());
    };
    // Start-up enables the splash: dismiss it as soon as it shows.
    CMainFrame* frame = StartMainWindow(startup, 0);
    ASSERT_NE(frame, nullptr);
    if (CSplashWindow* splash = CSplashWindow::Current())
        splash->HideSplashScreen();
    EXPECT_EQ(connectedFrame, frame);
    EXPECT_EQ(OutputMode, outputModeMessageBox);
    EXPECT_EQ(frame->windowTitle(), "ORLEY v1.0");
    EXPECT_EQ(SizeDisplayMode, sizeModeActual);
    EXPECT_TRUE(frame->Action(cmdActualSize)->isChecked());

    // The message box is installed: a report opens one.
    bool boxShown = false;
    WhenModal<QDialog>([&](QDialog* box) {
        boxShown = true;
        box->accept();
    });
    ReportAppMessage(7);
    EXPECT_TRUE(boxShown);
    SetMessageBoxHandler({});
    SetQuestionHandler({});
    delete frame;
}

}  // namespace
