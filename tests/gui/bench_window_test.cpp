// The bench window against virtual handsets, driven from the keyboard as a person at the bench
// drives it: four handsets typed into Ports and loaded at once, one unplugged half-way and
// retried alone, a stop half-way that leaves every handset as it was, and handsets served as
// they are linked into a watched folder; the main window's own connection stays as it was.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>

#include "fleet/bench.h"
#include "platform/stop_request.h"
#include "sim/sim_port.h"
#include "ui/bench_window.h"
#include "window_rig.h"

namespace {

namespace fs = std::filesystem;

// Large enough that a load at the line's pace takes about two seconds, so a test can act
// half-way through it.
constexpr size_t moduleSize = 24000;

using Handsets = std::vector<std::unique_ptr<rig::CHandsetRig>>;

// Handsets that keep their files in a folder, write them block by block and keep a real line's
// pace, so a test sees how far a load has come.
Handsets PacedHandsets(size_t count)
{
    Handsets handsets;
    for (size_t i = 0; i < count; ++i) {
        handsets.push_back(std::make_unique<rig::CHandsetRig>(rig::DeviceStore::folder));
        handsets.back()->Start([](sim::SimBehaviour& b) { b.throttle = true, b.writesInPlace = true; });
    }
    return handsets;
}

QString PortList(const Handsets& handsets)
{
    QStringList ports;
    for (const auto& handset : handsets)
        ports << QString::fromStdString(handset->Port());
    return ports.join(QLatin1Char(','));
}

uint64_t ModuleBytes(const fs::path& device)
{
    std::error_code error;
    const auto size = fs::file_size(device / "chess" / "chess.mod", error);
    return error ? 0 : size;
}

bool LoadedExactly(const fs::path& device, const fs::path& module)
{
    if (rig::ReadPcFile(device / "chess.mif") != rig::ReadPcFile(module / "chess.mif"))
        return false;
    for (const char* name : {"chess.sig", "chess.bar", "chess.mod"})
        if (rig::ReadPcFile(device / "chess" / name) != rig::ReadPcFile(module / name))
            return false;
    return true;
}

class BenchWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static const bool installed = (InstallVirtualHandsetPorts(), true);
        (void)installed;
        CSplashWindow::EnableSplashScreen(false);
        for (const char* name : {"chess.mif", "chess.sig", "chess.bar"})
            pc.PutPcFile(std::string("chess/") + name, rig::Pattern(40, 3));
        pc.PutPcFile("chess/chess.mod", rig::Pattern(moduleSize, 9));
        module = pc.Pc() / "chess";
        frame = std::make_unique<CMainFrame>(CMainFrameOptions{0});
        frame->show();
        ActivateAndWait(frame.get());
    }
    void TearDown() override
    {
        frame.reset();
        CSplashWindow::EnableSplashScreen(true);
    }

    // Makes window the one that takes the keys, as a click on it does.
    static void ActivateAndWait(QWidget* window)
    {
        if (!window->isActiveWindow())
            window->activateWindow();
        EXPECT_TRUE(WaitWithEvents([window] { return window->isActiveWindow(); }));
    }

    // Opens the bench with Ctrl+B, as a person does.
    CBenchWindow* OpenBench()
    {
        ActivateAndWait(frame.get());
        QTest::keyClick(frame.get(), Qt::Key_B, Qt::ControlModifier);
        auto* bench = frame->findChild<CBenchWindow*>();
        if (bench != nullptr) {
            EXPECT_TRUE(WaitWithEvents([bench] { return bench->isActiveWindow(); }));
        }
        return bench;
    }

    // Types the ports, the module folder and name into the bench by the keyboard alone and
    // presses Enter on Start.
    void LoadByKeyboard(CBenchWindow* bench, const QString& ports)
    {
        ActivateAndWait(bench);
        bench->PortsField()->setFocus();
        QTest::keyClicks(bench->PortsField(), ports);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), bench->ActionBox());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), bench->FolderField());
        QTest::keyClicks(QApplication::focusWidget(), QString::fromStdString(module.string()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), bench->ModuleNameField());
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("chess"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), bench->StartButton());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }

    static QString Cell(CBenchWindow* bench, int row, int column)
    {
        QTableWidgetItem* item = bench->Table()->item(row, column);
        return item != nullptr ? item->text() : QString();
    }
    static bool Finished(CBenchWindow* bench, int rows)
    {
        return bench->Table()->rowCount() == rows && !bench->Bench().Running() && bench->StartButton()->isEnabled();
    }

    rig::CScratchConfigHome config;
    rig::CReportCapture reports;  // a message box would land here
    rig::CHandsetRig pc{rig::DeviceStore::folder};
    fs::path module;
    std::unique_ptr<CMainFrame> frame;
};

TEST_F(BenchWindowTest, DeviceMenuOpensTheBenchWithTheFocusInPorts)
{
    frame->activateWindow();
    QTest::keyClick(frame.get(), Qt::Key_D, Qt::AltModifier);
    ASSERT_TRUE(WaitWithEvents([] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr; }));
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_B);
    auto* bench = frame->findChild<CBenchWindow*>();
    ASSERT_NE(bench, nullptr);
    EXPECT_TRUE(WaitWithEvents([bench] { return bench->isActiveWindow(); }));
    EXPECT_TRUE(bench->windowTitle().contains(QStringLiteral("Bench")));
    EXPECT_TRUE(bench->isWindow());
    EXPECT_TRUE(WaitWithEvents([bench] { return QApplication::focusWidget() == bench->PortsField(); }));
    EXPECT_EQ(bench->ActionBox()->currentText(), QStringLiteral("Load module"));
    // Enter with the load's fields empty: refused in the window's status line, nothing started.
    QTest::keyClicks(bench->PortsField(), QStringLiteral("SIM"));
    QTest::keyClick(bench->PortsField(), Qt::Key_Return);
    EXPECT_EQ(bench->findChild<QLabel*>(QStringLiteral("status"))->text(),
              QString::fromUtf8(AppMessageText(msgModuleNamesNotGiven)));
    EXPECT_EQ(bench->Table()->rowCount(), 0);
    EXPECT_FALSE(bench->Bench().Running());
    bench->close();
    EXPECT_EQ(OpenBench(), bench) << "one bench, shown again";
}

TEST_F(BenchWindowTest, FourVirtualHandsetsTypedIntoPortsAllLoadExactly)
{
    std::vector<rig::CScratch> devices(4);
    QStringList ports;
    for (const rig::CScratch& device : devices)
        ports << QStringLiteral("SIM:") + QString::fromStdString(device.Path().string());
    CBenchWindow* bench = OpenBench();
    ASSERT_NE(bench, nullptr);
    LoadByKeyboard(bench, ports.join(QLatin1Char(',')));
    ASSERT_TRUE(WaitWithEvents([&] { return Finished(bench, 4); }, 60000));
    for (int row = 0; row < 4; ++row) {
        EXPECT_TRUE(LoadedExactly(devices[static_cast<size_t>(row)].Path(), module)) << row;
        EXPECT_EQ(Cell(bench, row, benchColumnResult), QString::fromUtf8(AppMessageText(msgModuleLoaded)));
        EXPECT_EQ(Cell(bench, row, benchColumnPhase), QStringLiteral("done"));
        EXPECT_EQ(Cell(bench, row, benchColumnPort), QStringLiteral("SIM-") + QString::number(row + 1));
    }
    EXPECT_FALSE(bench->RetryButton()->isEnabled());
    EXPECT_TRUE(reports.texts.empty());
}

TEST_F(BenchWindowTest, AnUnpluggedHandsetFailsOnItsOwnRowAndRetryRepeatsOnlyIt)
{
    // The main window holds a handset of its own all along.
    rig::CHandsetRig mainHandset;
    ASSERT_EQ(frame->GetLeftView()->Tree()->ConnectToPort(mainHandset.Port()), 0);
    auto handsets = PacedHandsets(4);
    // The third is reached through a stable link, as /dev/serial/by-id names a USB adapter, so
    // the same name finds it when it is plugged in again.
    rig::CScratch byId;
    const fs::path stable = byId.Path() / "usb-handset-c";
    rig::CHandsetRig& pulled = *handsets[2];
    fs::create_symlink(pulled.Port(), stable);
    QStringList ports = PortList(handsets).split(QLatin1Char(','));
    ports[2] = QString::fromStdString(stable.string());
    CBenchWindow* bench = OpenBench();
    ASSERT_NE(bench, nullptr);
    LoadByKeyboard(bench, ports.join(QLatin1Char(',')));
    ASSERT_TRUE(rig::WaitUntil(std::chrono::seconds(30), [&] {
        QApplication::processEvents();
        return ModuleBytes(pulled.Device()) >= moduleSize / 2;
    }));
    pulled.Unplug();
    ASSERT_TRUE(WaitWithEvents([&] { return Finished(bench, 4); }, 60000));

    for (size_t i : {0u, 1u, 3u}) {
        EXPECT_TRUE(LoadedExactly(handsets[i]->Device(), module)) << i;
        EXPECT_EQ(Cell(bench, static_cast<int>(i), benchColumnPhase), QStringLiteral("done"));
    }
    // Its row says why, no message box said anything, and the main window's link is as it was.
    const QString why = Cell(bench, 2, benchColumnResult);
    EXPECT_EQ(Cell(bench, 2, benchColumnPhase), QStringLiteral("failed"));
    EXPECT_TRUE(why.contains(QStringLiteral("Error"))) << why.toStdString();
    EXPECT_TRUE(reports.texts.empty());
    EXPECT_EQ(frame->GetLeftView()->Tree()->Link()->GetPhoneStatus(), phoneStatusReady);
    // The summary file says the same, a line per handset.
    const fs::path summary = byId.Path() / "summary.csv";
    ASSERT_TRUE(bench->SaveSummary(QString::fromStdString(summary.string())));
    const std::string csv = rig::ReadText(summary);
    EXPECT_NE(csv.find("\r\n" + stable.string() + ",VIRTUAL1,failed,"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\r\n" + handsets[0]->Port() + ",VIRTUAL1,ok,"), std::string::npos) << csv;

    // Plugged in again, with what the cut load left cleared away: Retry failed repeats the load
    // on that handset alone.
    pulled.Start();
    for (const auto& entry : fs::directory_iterator(pulled.Device()))
        fs::remove_all(entry.path());
    fs::remove(stable);
    fs::create_symlink(pulled.Port(), stable);
    std::vector<size_t> heard;
    for (const auto& handset : handsets)
        heard.push_back(handset->LogSize());
    ASSERT_TRUE(bench->RetryButton()->isEnabled());
    QTest::mouseClick(bench->RetryButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitWithEvents([&] { return Finished(bench, 4); }, 60000));
    EXPECT_TRUE(LoadedExactly(pulled.Device(), module));
    EXPECT_EQ(Cell(bench, 2, benchColumnPhase), QStringLiteral("done"));
    EXPECT_EQ(bench->Bench().Rows()[2].attempts, 2u);
    for (size_t i : {0u, 1u, 3u})
        EXPECT_EQ(handsets[i]->LogSize(), heard[i]) << "handset " << i << " was asked again";
    EXPECT_FALSE(bench->RetryButton()->isEnabled());
    EXPECT_EQ(frame->GetLeftView()->Tree()->Link()->GetPhoneStatus(), phoneStatusReady);
}

TEST_F(BenchWindowTest, EscapeHalfWayLeavesEveryHandsetAsItWas)
{
    auto handsets = PacedHandsets(4);
    CBenchWindow* bench = OpenBench();
    ASSERT_NE(bench, nullptr);
    LoadByKeyboard(bench, PortList(handsets));
    ASSERT_TRUE(rig::WaitUntil(std::chrono::seconds(30), [&] {
        QApplication::processEvents();
        for (const auto& handset : handsets)
            if (ModuleBytes(handset->Device()) < moduleSize / 3)
                return false;
        return true;
    }));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    ASSERT_TRUE(WaitWithEvents([&] { return Finished(bench, 4); }, 60000));
    for (size_t i = 0; i < handsets.size(); ++i) {
        EXPECT_TRUE(fs::is_empty(handsets[i]->Device())) << i;
        EXPECT_EQ(Cell(bench, static_cast<int>(i), benchColumnResult),
                  QString::fromUtf8(AppMessageText(msgLoadStopped)));
    }
    EXPECT_TRUE(reports.texts.empty());
    // The stop was the bench's alone: the main window's session was not asked to stop.
    EXPECT_FALSE(StopRequested());
}

TEST_F(BenchWindowTest, AHandsetLinkedIntoTheWatchedFolderGetsARowAndItsLoad)
{
    rig::CScratch links;
    rig::CHandsetRig plugged(rig::DeviceStore::folder);
    plugged.Port();
    CBenchWindow* bench = OpenBench();
    ASSERT_NE(bench, nullptr);
    bench->WatchBox()->setChecked(true);
    bench->WatchFolderField()->setText(QString::fromStdString(links.Path().string()));
    LoadByKeyboard(bench, QString());
    ASSERT_TRUE(WaitWithEvents([&] { return bench->Bench().Watching(); }));
    EXPECT_EQ(bench->Table()->rowCount(), 0);

    const fs::path link = links.Path() / "usb-handset-a";
    fs::create_symlink(plugged.Port(), link);
    ASSERT_TRUE(WaitWithEvents([&] { return bench->Table()->rowCount() == 1; }, 2000));
    EXPECT_EQ(Cell(bench, 0, benchColumnPort), QString::fromStdString(link.string()));
    ASSERT_TRUE(WaitWithEvents([&] { return Cell(bench, 0, benchColumnPhase) == QStringLiteral("done"); }, 30000));
    EXPECT_TRUE(LoadedExactly(plugged.Device(), module));
    EXPECT_TRUE(bench->Bench().Running()) << "the watch goes on until it is ended";
    bench->WatchBox()->setChecked(false);
    EXPECT_TRUE(WaitWithEvents([&] { return Finished(bench, 1); }));
}

}  // namespace
