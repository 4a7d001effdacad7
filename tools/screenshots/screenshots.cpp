// Takes the user guide's pictures into $VANT_SCREENSHOT_DIR (else build/screenshots): the splash,
// the window unconnected and connected to the built-in virtual handset "SIM", the port dialog,
// the list in its four modes (Details as "browsing", its Modified column whole), the module list,
// a transfer's wait window, and the window emptied after a failed reconnection. The configuration
// goes to a temporary folder, so the user's own is left alone.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "modules/transfer_progress.h"
#include "report/reporter.h"
#include "session/command_ids.h"
#include "sim/sim_port.h"
#include "ui/device_tree_ctrl.h"
#include "ui/left_view.h"
#include "ui/main_frame.h"
#include "ui/port_dialog.h"
#include "ui/splash_window.h"
#include "ui/wait_dialog.h"
#include "ui/window_startup.h"

namespace {

QString folder;
int failures = 0;

void Shoot(QWidget* widget, const char* name)
{
    QApplication::processEvents();
    if (!widget->grab().save(folder + "/" + name, "PNG")) {
        std::fprintf(stderr, "could not write %s\n", name);
        ++failures;
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    const char* chosen = std::getenv("VANT_SCREENSHOT_DIR");
    folder = chosen && *chosen ? chosen : VANT_DEFAULT_SCREENSHOT_DIR;
    QDir().mkpath(folder);

    std::unique_ptr<CMainFrame> frame(StartMainWindow(CWindowStartup{}, 0));
    Shoot(CSplashWindow::Current(), "splash.png");
    CSplashWindow::Current()->HideSplashScreen();
    frame->resize(760, 520);
    Shoot(frame.get(), "main_window_unconnected.png");
    CPortDialog dialog;
    dialog.show();
    Shoot(&dialog, "port_dialog.png");
    // Anything reported from here on is a fault of the tool, not a picture.
    SetMessageBoxHandler([](const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()), ++failures; });

    InstallVirtualHandsetPorts();
    frame = std::make_unique<CMainFrame>(CMainFrameOptions{0});
    frame->setWindowTitle("ORLEY v1.0");
    frame->resize(760, 520);
    frame->show();
    CDeviceTreeCtrl* tree = frame->GetLeftView()->Tree();
    if (tree->ConnectToPort("SIM") != 0)
        return std::fprintf(stderr, "the virtual handset did not answer\n"), 1;
    tree->Populate();
    tree->ExpandAndSelectTop();
    tree->OnTimer();  // the status bar shows the memory figures
    Shoot(frame.get(), "main_window_connected.png");
    tree->setCurrentItem(tree->NodeByPath("/chess/"));
    const std::pair<int, const char*> modes[] = {{cmdViewLargeIcons, "list_large_icons.png"},
                                                 {cmdViewSmallIcons, "list_small_icons.png"},
                                                 {cmdViewList, "list_list.png"},
                                                 {cmdViewDetails, "browsing.png"}};
    for (const auto& [command, name] : modes) {
        frame->Action(command)->trigger();
        Shoot(frame.get(), name);
    }
    tree->OnModuleList();
    Shoot(frame.get(), "module_list.png");
    CTransferWaitScope wait(83);
    ReportTransferProgress("chess.mod", 700, 1500);
    Shoot(&wait.Dialog(), "drop_in_progress.png");
    // A connection that finds no handset empties the window and greys the device commands.
    tree->ConnectToPort(qPrintable(config.filePath(QStringLiteral("no-such-port"))));
    Shoot(frame.get(), "main_window_disconnected.png");
    std::printf("%s\n", qPrintable(folder));
    return failures == 0 ? 0 : 1;
}
