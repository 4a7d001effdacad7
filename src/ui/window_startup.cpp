#include "ui/window_startup.h"

#include <QApplication>

#include "report/reporter.h"
#include "session/command_table.h"
#include "session/size_display_mode.h"
#include "ui/left_view.h"
#include "ui/main_frame.h"
#include "ui/pictures.h"
#include "ui/splash_window.h"
#include "ui/window_reporters.h"

namespace {

constexpr int productSplashPauseMs = 1000;

}  // namespace

CMainFrame* StartMainWindow(const CWindowStartup& startup, int splashPauseMs)
{
    OutputMode = outputModeMessageBox;
    InstallWindowReporters();
    CSplashWindow::EnableSplashScreen(true);

    auto* frame = new CMainFrame(CMainFrameOptions{splashPauseMs});
    frame->setAttribute(Qt::WA_DeleteOnClose);
    frame->setWindowTitle(QString::fromLatin1(applicationTitle));
    frame->show();
    frame->repaint();

    SizeDisplayMode = sizeModeActual;
    frame->UpdateCommandStates();

    if (!frame->GetLeftView()) {
        ReportAppMessage(msgNoLeftPane);
        delete frame;
        return nullptr;
    }
    if (startup.connectAtStart)
        startup.connectAtStart(*frame);
    return frame;
}

int RunWindowMode(int argc, char** argv, const CWindowStartup& startup)
{
    QApplication application(argc, argv);
    // The desktop file name lets the desktop pair the window with its menu entry and icon.
    QApplication::setWindowIcon(ApplicationIcon());
    QGuiApplication::setDesktopFileName("vantferrant");
    if (!StartMainWindow(startup, productSplashPauseMs))
        return 0;
    return QApplication::exec();
}
