// The bench under a real X server with real keys: the user opens it with Ctrl+B, types four
// handsets' ports, the module folder and name, and presses Enter, all through the window
// system; while the four loads run, the main window's Device menu opens at Alt+D and closes at
// Escape within 0.2 s. Runs only when VANT_X_DISPLAY names an X server (./run.sh test starts Xvfb
// for it); xdotool presses the keys and clicks.
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableWidget>

#include <atomic>
#include <thread>

#include "fleet/bench.h"
#include "ui/bench_window.h"
#include "window_rig.h"
#include "x_input.h"

namespace {

namespace fs = std::filesystem;

constexpr size_t moduleSize = 24000;

// Runs xdotool on a thread of its own while the window's thread goes on taking events.
bool XdotoolWithEvents(std::vector<std::string> args)
{
    std::atomic<int> result{-1};
    std::thread run([&] { result = Xdotool(std::move(args)) ? 1 : 0; });
    WaitWithEvents([&] { return result >= 0; }, 30000);
    run.join();
    return result == 1;
}

TEST(BenchRealInput, FourHandsetsLoadByRealKeysWhileTheMainWindowsMenuAnswers)
{
    if (!OnRealX())
        GTEST_SKIP() << "no X server: set VANT_X_DISPLAY";
    rig::CScratchConfigHome config;
    rig::CReportCapture reports;
    std::vector<std::unique_ptr<rig::CHandsetRig>> handsets;
    QStringList ports;
    for (int i = 0; i < 4; ++i) {
        handsets.push_back(std::make_unique<rig::CHandsetRig>(rig::DeviceStore::folder));
        handsets.back()->Start([](sim::SimBehaviour& b) { b.throttle = true, b.writesInPlace = true; });
        ports << QString::fromStdString(handsets.back()->Port());
    }
    rig::CHandsetRig& pc = *handsets[0];
    for (const char* name : {"chess.mif", "chess.sig", "chess.bar"})
        pc.PutPcFile(std::string("chess/") + name, rig::Pattern(40, 3));
    pc.PutPcFile("chess/chess.mod", rig::Pattern(moduleSize, 9));
    const fs::path module = pc.Pc() / "chess";

    CSplashWindow::EnableSplashScreen(false);
    auto frame = std::make_unique<CMainFrame>(CMainFrameOptions{0});
    frame->show();
    frame->activateWindow();
    ASSERT_TRUE(WaitWithEvents([&] { return frame->isActiveWindow(); }));

    ASSERT_TRUE(XdotoolWithEvents({"key", "ctrl+b"}));
    CBenchWindow* bench = nullptr;
    ASSERT_TRUE(WaitWithEvents([&] {
        bench = frame->findChild<CBenchWindow*>();
        return bench != nullptr && bench->isActiveWindow() && QApplication::focusWidget() == bench->PortsField();
    }));
    ASSERT_TRUE(XdotoolWithEvents({"type", "--delay", "5", ports.join(',').toStdString()}));
    ASSERT_TRUE(XdotoolWithEvents({"key", "Tab", "Tab"}));
    ASSERT_TRUE(XdotoolWithEvents({"type", "--delay", "5", module.string()}));
    ASSERT_TRUE(XdotoolWithEvents({"key", "Tab"}));
    ASSERT_TRUE(XdotoolWithEvents({"type", "chess"}));
    ASSERT_TRUE(XdotoolWithEvents({"key", "Tab", "Return"}));
    ASSERT_TRUE(WaitWithEvents([&] { return bench->Bench().Running(); }));

    // Half-way through the loads the user turns to the main window (a click on it, with a window
    // manager): its Device menu opens at Alt+D and closes at Escape within 0.2 s each.
    QAction* device = nullptr;
    for (QAction* action : frame->menuBar()->actions())
        if (action->text() == QStringLiteral("&Device"))
            device = action;
    ASSERT_NE(device, nullptr);
    frame->activateWindow();
    ASSERT_TRUE(WaitWithEvents([&] { return frame->isActiveWindow(); }));
    int opened = 0;
    while (bench->Bench().Running() && opened < 3) {
        ASSERT_TRUE(XdotoolWithEvents({"key", "alt+d"}));
        EXPECT_TRUE(WaitWithEvents([&] { return device->menu()->isVisible(); }, 200))
            << "the menu took longer than 0.2 s to open";
        ASSERT_TRUE(XdotoolWithEvents({"key", "Escape"}));
        EXPECT_TRUE(WaitWithEvents([&] { return !device->menu()->isVisible(); }, 200));
        if (frame->menuBar()->activeAction() != nullptr) {
            ASSERT_TRUE(XdotoolWithEvents({"key", "Escape"}));  // leaves the menu bar too
        }
        ++opened;
    }
    EXPECT_GE(opened, 1);
    // Ended, and the rows redrawn since.
    ASSERT_TRUE(WaitWithEvents([&] { return !bench->Bench().Running() && bench->StartButton()->isEnabled(); }, 60000));
    for (size_t i = 0; i < handsets.size(); ++i) {
        EXPECT_EQ(rig::ReadPcFile(handsets[i]->Device() / "chess" / "chess.mod"), rig::ReadPcFile(module / "chess.mod"))
            << i;
        EXPECT_EQ(bench->Table()->item(static_cast<int>(i), benchColumnPhase)->text(), QStringLiteral("done"))
            << bench->Table()->item(static_cast<int>(i), benchColumnResult)->text().toStdString();
    }
    EXPECT_TRUE(reports.texts.empty());
    frame.reset();
    CSplashWindow::EnableSplashScreen(true);
}

}  // namespace
