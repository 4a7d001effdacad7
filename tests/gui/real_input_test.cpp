// The window under a real X server with real input: a pointer click reaches Cancel through the
// window system, event filters and modality, which offscreen QTest events skip; and the window
// takes input while the connection watch reconnects. Runs only when VANT_X_DISPLAY names an X
// server (./run.sh test starts Xvfb for it); xdotool makes the clicks and key presses.
#include <QAbstractNativeEventFilter>
#include <QDialogButtonBox>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QLabel>

#include <sys/wait.h>
#include <spawn.h>

#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <thread>
#include <tuple>

#include "link/diag_port.h"
#include "ui/copy_to_device_dialogs.h"
#include "ui/profile_file.h"
#include "ui/wait_dialog.h"
#include "window_rig.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// X protocol event types (the core input events, and the generic event XInput 2 arrives in).
constexpr uint8_t xKeyPress = 2, xKeyRelease = 3, xButtonPress = 4, xButtonRelease = 5,
                  xGenericEvent = 35;

bool OnRealX()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

// Runs xdotool with args and returns once it has exited: its events are in the X server then.
bool Xdotool(const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    std::string program = "xdotool";
    argv.push_back(program.data());
    std::vector<std::string> copies = args;
    for (std::string& arg : copies)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawnp(&child, "xdotool", nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::vector<std::string> ClickAt(QPoint global)
{
    // No --sync: it waits for the pointer to move, which never happens when it is already there.
    return {"mousemove", std::to_string(global.x()), std::to_string(global.y()), "click", "1"};
}

// When the window's thread took each X input event (pointer, key or XInput) out of its queue.
class CInputPickup : public QAbstractNativeEventFilter {
public:
    CInputPickup() { QCoreApplication::instance()->installNativeEventFilter(this); }
    ~CInputPickup() override { QCoreApplication::instance()->removeNativeEventFilter(this); }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override
    {
        if (type != "xcb_generic_event_t")
            return false;
        // An X event opens with its type byte; the top bit marks one sent by a client.
        const uint8_t kind = *static_cast<const uint8_t*>(message) & 0x7f;
        if (kind == xKeyPress || kind == xKeyRelease || kind == xButtonPress ||
            kind == xButtonRelease || kind == xGenericEvent) {
            std::lock_guard<std::mutex> guard(lock);
            lastPickup = Clock::now();
        }
        return false;
    }
    Clock::time_point Last()
    {
        std::lock_guard<std::mutex> guard(lock);
        return lastPickup;
    }

private:
    std::mutex lock;
    Clock::time_point lastPickup{};
};

class RealInputTest : public WindowTest {
protected:
    void SetUp() override
    {
        if (!OnRealX())
            GTEST_SKIP() << "no X server: set VANT_X_DISPLAY";
        WindowTest::SetUp();
    }
};

// The user's way to a copy: File > New > File... from the menu bar, the dialog's OK by the
// pointer, and Cancel clicked with the pointer half-way through the 300 KB copy, on a plain and on
// a strict handset; once more with Escape pressed instead. The copy stops, and the device is left
// as it was.
TEST_F(RealInputTest, CancelClickedHalfWayThroughANewFileCopyStopsItAndRollsItBack)
{
    const std::tuple<bool, bool> ways[] = {{false, false}, {true, false}, {false, true}};
    for (const auto& [strict, escape] : ways) {
        SCOPED_TRACE(std::string(strict ? "strict handset" : "plain handset") +
                     (escape ? ", Escape" : ", pointer"));
        Connect([strict = strict](sim::SimBehaviour& b) {
            b.throttle = true;
            b.strictWrites = strict;
        });
        frame->activateWindow();
        const QString big = PutPc("big.bin", std::string(300 * 1024, 'b'));
        QMenuBar* bar = frame->menuBar();
        const QPoint fileMenu = bar->mapToGlobal(bar->actionGeometry(bar->actions().front()).center());
        std::vector<std::future<bool>> clicks;
        auto clickOn = [&clicks](QWidget* widget) {
            const QPoint at = widget->mapToGlobal(widget->rect().center());
            clicks.push_back(std::async(std::launch::async, [at] { return Xdotool(ClickAt(at)); }));
        };
        bool okClicked = false;
        int cancelledAt = -1;
        QTimer user;
        QObject::connect(&user, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* dialog = qobject_cast<CNewFileDialog*>(modal); dialog && !okClicked) {
                okClicked = true;
                dialog->SetPcFile(big);
                dialog->SetDevicePath("/sub/");
                clickOn(dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok));
            }
            auto* wait = qobject_cast<CWaitDialog*>(modal);
            if (wait != nullptr && cancelledAt < 0 && !wait->ProgressBar()->isHidden() &&
                wait->ProgressBar()->value() >= 500) {
                cancelledAt = wait->ProgressBar()->value();
                if (escape)
                    clicks.push_back(std::async(std::launch::async, [] { return Xdotool({"key", "Escape"}); }));
                else
                    clickOn(wait->CancelButton());
            }
        });
        user.start(10);
        // File > New > File... by the pointer and the menus' mnemonics.
        clicks.push_back(std::async(std::launch::async, [fileMenu] {
            return Xdotool(ClickAt(fileMenu)) && Xdotool({"sleep", "0.3", "key", "n", "sleep", "0.3", "key", "f"});
        }));
        const bool ended = WaitWithEvents(
            [&] { return !reports.texts.empty() || (okClicked && Device("sub/big.bin").size() == 300 * 1024); },
            120000);
        user.stop();
        for (auto& click : clicks)
            EXPECT_TRUE(click.get());
        EXPECT_TRUE(ended);
        EXPECT_TRUE(okClicked);
        EXPECT_GE(cancelledAt, 500) << "the copy never reached half-way under its wait window";
        EXPECT_LT(cancelledAt, 700);
        EXPECT_EQ(reports.texts, Texts{"User stopped copy file to device operation"});
        EXPECT_FALSE(OnDevice("sub/big.bin"));
        // The stopped write was closed: the next copy goes through.
        reports.texts.clear();
        WhenModal<CNewFileDialog>([&](CNewFileDialog* dialog) {
            dialog->SetPcFile(PutPc("next.txt", "next"));
            dialog->SetDevicePath("/sub/");
            dialog->accept();
        });
        Tree()->OnNewFile();
        EXPECT_EQ(Device("sub/next.txt"), "next");
        EXPECT_TRUE(reports.texts.empty());
        frame.reset();
        rig::fs::remove(handset.Device() / "sub" / "next.txt");
        rig::fs::remove(handset.Device() / "sub" / "big.bin");
    }
}

// From an unplug until the watch's reconnection has found the handset again, a menu opened by a
// click and closed by Escape follows every time within 0.2 s, and the window never leaves an
// input event waiting longer than that.
TEST_F(RealInputTest, AMenuOpensAndClosesFromAnUnplugThroughTheReconnection)
{
    Connect();
    frame->activateWindow();
    QLabel* pane = frame->StatusPaneLabel(statusPaneConnection);
    // The configured port's handset is silent at first, so the reconnection waits for it.
    rig::CHandsetRig second;
    second.PutDeviceFile("/nv/phone.cfg", rig::Bytes(512, 'c'));
    second.Change([](sim::SimBehaviour& b) { b.silent = true; });
    WriteConfiguredPortName(second.Port());
    QSignalSpy attempts(Tree(), &CDeviceTreeCtrl::ConnectionAttempted);
    QMenuBar* bar = frame->menuBar();
    QMenu* menu = bar->actions().front()->menu();
    const QPoint title = bar->mapToGlobal(bar->actionGeometry(bar->actions().front()).center());
    std::atomic<bool> menuShown{false};
    QObject::connect(menu, &QMenu::aboutToShow, [&] { menuShown = true; });
    QObject::connect(menu, &QMenu::aboutToHide, [&] { menuShown = false; });
    // Once the attempt has ended the window refills its tree behind a wait window, which takes
    // no input: the user's actions are judged until then.
    std::atomic<bool> attemptEnded{false};
    QObject::connect(Tree(), &CDeviceTreeCtrl::ConnectionAttempted, [&] { attemptEnded = true; });

    CInputPickup pickup;
    std::atomic<bool> done{false};
    int judged = 0;
    int missed = 0;
    long long longestPickupMs = 0;
    bool xdotoolFailed = false;
    // The user: a click on the first menu's title, then Escape, one action every 0.4 s, each
    // judged 0.2 s after it was made.
    std::thread user([&] {
        bool open = false;
        while (!done) {
            const auto sent = Clock::now();
            if (!Xdotool(open ? std::vector<std::string>{"key", "Escape"} : ClickAt(title))) {
                xdotoolFailed = true;
                return;
            }
            open = !open;
            std::this_thread::sleep_until(sent + std::chrono::milliseconds(200));
            const auto picked = pickup.Last();
            const bool shown = menuShown;
            if (!attemptEnded) {
                ++judged;
                missed += shown != open;
                longestPickupMs = std::max<long long>(
                    longestPickupMs, picked > sent ? std::chrono::duration_cast<std::chrono::milliseconds>(picked - sent).count() : 200);
            }
            std::this_thread::sleep_until(sent + std::chrono::milliseconds(400));
        }
    });
    handset.Unplug();
    QTimer::singleShot(4000, [&] { second.Change([](sim::SimBehaviour& b) { b.silent = false; }); });
    const bool reconnected = WaitWithEvents(
        [&] { return attempts.count() >= 1 && pane->text().startsWith("Mem free/total: "); }, 30000);
    done = true;
    user.join();
    if (menu->isVisible())
        menu->close();
    EXPECT_TRUE(reconnected);
    EXPECT_FALSE(xdotoolFailed);
    EXPECT_GE(judged, 8);
    EXPECT_EQ(missed, 0) << "of " << judged << " actions";
    EXPECT_LE(longestPickupMs, 200);
    ASSERT_GE(attempts.count(), 1);
    EXPECT_EQ(attempts[0][1].toInt(), 0);
    EXPECT_NE(Tree()->TopNode(), nullptr);
    EXPECT_TRUE(reports.texts.empty());
}

}  // namespace
