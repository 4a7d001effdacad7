// The user guide's pictures, written into $VANT_SCREENSHOT_DIR, else build/screenshots: the
// splash, the window unconnected and connected to the built-in virtual handset "SIM", the port
// dialog, the list in its four modes, the module list and a transfer's wait window.
#include <QComboBox>
#include <QImage>

#include "modules/transfer_progress.h"
#include "sim/sim_port.h"
#include "ui/port_dialog.h"
#include "ui/wait_dialog.h"
#include "ui/window_startup.h"
#include "window_rig.h"

namespace {

// Saves a picture of widget and reads it back.
void Shoot(QWidget* widget, const char* name)
{
    const char* chosen = std::getenv("VANT_SCREENSHOT_DIR");
    const rig::fs::path folder = chosen && *chosen ? chosen : VANT_DEFAULT_SCREENSHOT_DIR;
    rig::fs::create_directories(folder);
    const QString path = QString::fromStdString((folder / name).string());
    const QPixmap picture = widget->grab();
    ASSERT_TRUE(picture.save(path, "PNG")) << name;
    EXPECT_EQ(QImage(path).size(), picture.size()) << name;
}

TEST_F(WindowTest, Screenshots)
{
    CSplashWindow::EnableSplashScreen(true);  // the window rig turns it off
    frame.reset(StartMainWindow(CWindowStartup{}, 0));
    ASSERT_NE(CSplashWindow::Current(), nullptr);
    Shoot(CSplashWindow::Current(), "splash.png");
    CSplashWindow::Current()->HideSplashScreen();
    frame->resize(760, 520);
    ASSERT_TRUE(WaitWithEvents([&] { return frame->isVisible(); }));
    Shoot(frame.get(), "main_window_unconnected.png");
    CPortDialog dialog;
    dialog.show();
    Shoot(&dialog, "port_dialog.png");
    SetMessageBoxHandler({});
    SetQuestionHandler({});

    InstallVirtualHandsetPorts();
    frame = std::make_unique<CMainFrame>(CMainFrameOptions{0});
    frame->setWindowTitle("ORLEY v1.0");
    frame->resize(760, 520);
    frame->show();
    ASSERT_EQ(Tree()->ConnectToPort("SIM"), 0);
    Tree()->Populate();
    Tree()->ExpandAndSelectTop();
    Tree()->OnTimer();  // the status bar shows the memory figures
    Shoot(frame.get(), "main_window_connected.png");
    const std::pair<int, const char*> modes[] = {{cmdViewLargeIcons, "list_large_icons.png"},
                                                 {cmdViewSmallIcons, "list_small_icons.png"},
                                                 {cmdViewList, "list_list.png"},
                                                 {cmdViewDetails, "list_details.png"}};
    Tree()->setCurrentItem(Node("/chess/"));
    for (const auto& [command, name] : modes) {
        frame->Action(command)->trigger();
        Shoot(frame.get(), name);
    }
    Tree()->OnModuleList();
    EXPECT_EQ(Rows(), QStringList{"chess|1955 bytes|Module"});
    Shoot(frame.get(), "module_list.png");
    CTransferWaitScope wait(83);
    ReportTransferProgress("chess.mod", 700, 1500);
    Shoot(&wait.Dialog(), "drop_in_progress.png");
    EXPECT_TRUE(reports.texts.empty());
}

}  // namespace
