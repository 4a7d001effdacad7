// The main frame on its own: prompts, pane switching, status bar, view and size modes, the
// list's order, context menus, and start-up.
#include "ui/main_frame.h"

#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QStatusTipEvent>
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
        // These tests look at the frame alone: device commands stop at their actions.
        for (QAction* action : frame->actions())
            QObject::disconnect(action, nullptr, frame->GetLeftView()->Tree(), nullptr);
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

    CTarlo32View* List() const { return frame->GetListView(); }

    void FillList()
    {
        List()->AddItem("sub", 4096, ItemKind::directory, "");
        List()->AddItem("a.mif", 120, ItemKind::file, "01/06/80, 00:00:00");
        List()->AddItem("b.txt", -1, ItemKind::file, "");
    }

    bool Enabled(int id) const { return frame->Action(id)->isEnabled(); }

    std::unique_ptr<CMainFrame> frame;
};

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

TEST_F(MainFrameTest, ListRowsShowSizesAndTypesAndAHeaderClickDoesNotSort)
{
    FillList();
    EXPECT_EQ(List()->Text(0, columnSize), "4096 bytes");
    EXPECT_EQ(List()->Text(0, columnType), "Directory");
    EXPECT_EQ(List()->Text(2, columnSize), "");
    frame->show();
    QHeaderView* header = List()->DetailsView()->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(columnName) + 20, 5));
    EXPECT_EQ(List()->Text(0, columnName), "sub");
    EXPECT_EQ(List()->Text(1, columnName), "a.mif");
    EXPECT_EQ(List()->Text(2, columnName), "b.txt");
}

TEST_F(MainFrameTest, ContextMenusFollowTheirRules)
{
    QSignalSpy requests(frame->Action(cmdNewFile), &QAction::triggered);
    std::unique_ptr<QMenu> tree(frame->CreateContextMenu(TreeContextMenu(), false));
    QMenu* newMenu = tree->actions()[0]->menu();
    EXPECT_FALSE(newMenu->actions()[2]->isEnabled());  // New Module: not below the top
    EXPECT_TRUE(tree->actions()[2]->menu()->actions()[4]->isChecked());  // Actual Size
    newMenu->actions()[0]->trigger();
    EXPECT_EQ(requests.count(), 1);

    EfsStatsAvailable = false;
    std::unique_ptr<QMenu> atTop(
        frame->CreateContextMenu(ListContextMenuItems(listMenuNoRows), true));
    EXPECT_TRUE(atTop->actions()[0]->menu()->actions()[2]->isEnabled());
    EXPECT_FALSE(atTop->actions()[1]->menu()->actions()[4]->isEnabled());

    std::unique_ptr<QMenu> oneFile(frame->CreateContextMenu(
        ListContextMenuItems(ListContextMenuFor({ItemKind::file})), false));
    EXPECT_EQ(Entries(oneFile.get()), (QStringList{"&Copy from Device...", "&Delete"}));
    std::unique_ptr<QMenu> folder(frame->CreateContextMenu(
        ListContextMenuItems(ListContextMenuFor({ItemKind::module})), false));
    EXPECT_EQ(Entries(folder.get()), (QStringList{"New>", "&Delete"}));
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
