// Pictures of the window connected to the built-in virtual handset "SIM": the main window, the
// list in its four modes, the module list and a transfer's wait window.
#include <QProgressBar>

#include "device_window_fixture.h"
#include "modules/transfer_progress.h"
#include "screenshot_helpers.h"
#include "sim/sim_port.h"
#include "ui/command_ids.h"
#include "ui/wait_dialog.h"

namespace {

TEST_F(DeviceWindowTest, ScreenshotsOfTheWindowConnectedToTheVirtualHandset)
{
    InstallVirtualHandsetPorts();
    frame = std::make_unique<CMainFrame>(CMainFrameOptions{0});
    frame->setWindowTitle("ORLEY v1.0");
    frame->resize(760, 520);
    frame->show();
    ASSERT_EQ(Tree()->ConnectToPort("SIM"), msgSuccess);
    Tree()->Populate();
    Tree()->ExpandAndSelectTop();
    Tree()->OnTimer();  // the status bar shows the memory figures
    ASSERT_NE(Node("/chess/"), nullptr);
    ASSERT_GE(RowOf("chess.mif"), 0);
    Shoot(frame.get(), "main_window_connected.png");

    const std::pair<int, const char*> modes[] = {
        {cmdViewLargeIcons, "list_large_icons.png"},
        {cmdViewSmallIcons, "list_small_icons.png"},
        {cmdViewList, "list_list.png"},
        {cmdViewDetails, "list_details.png"},
    };
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
    EXPECT_EQ(wait.Dialog().ProgressBar()->value(), 466);
    Shoot(&wait.Dialog(), "drop_in_progress.png");
    EXPECT_TRUE(messages.empty());
}

}  // namespace
