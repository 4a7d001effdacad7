// Writes PNG pictures of the main window (unconnected), the port dialog and the splash into
// $VANT_SCREENSHOT_DIR, else build/screenshots, and checks that they were written whole.
#include <QComboBox>
#include <QImage>

#include "gui_helpers.h"
#include "screenshot_helpers.h"
#include "scratch_directory.h"
#include "ui/main_frame.h"
#include "ui/port_dialog.h"
#include "ui/splash_window.h"
#include "ui/window_startup.h"

namespace {

TEST(Screenshots, MainWindowUnconnectedPortDialogAndSplash)
{
    CScratchConfigHome config;
    CMainFrame* frame = StartMainWindow(CWindowStartup{}, 0);
    ASSERT_NE(frame, nullptr);
    CSplashWindow* splash = CSplashWindow::Current();
    ASSERT_NE(splash, nullptr);
    Shoot(splash, "splash.png");
    splash->HideSplashScreen();

    frame->resize(760, 520);
    ASSERT_TRUE(WaitUntil([&] { return frame->isVisible(); }));
    Shoot(frame, "main_window_unconnected.png");

    CPortDialog dialog;
    dialog.show();
    ASSERT_TRUE(WaitUntil([&] { return dialog.isVisible(); }));
    EXPECT_EQ(dialog.PortBox()->currentText(), "COM1");
    Shoot(&dialog, "port_dialog.png");
    dialog.reject();

    SetMessageBoxHandler({});
    SetQuestionHandler({});
    delete frame;
}

}  // namespace
