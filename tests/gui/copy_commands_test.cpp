// Copies to the device from the window against the virtual handset: drops on the tree and the
// list, the clean-up after a failed folder copy, Cancel during a long copy, and the New File,
// New Directory and New Module commands.
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>

#include <algorithm>

#include "platform/stop_request.h"
#include "ui/copy_to_device_dialogs.h"
#include "ui/wait_dialog.h"
#include "window_rig.h"

namespace {

TEST_F(WindowTest, DropsOnTheTreeAndTheListCopyWhatThePlacementRulesAllow)
{
    Connect();
    const QString game = PutPc("Game.MIF", "module info");
    const QString readme = PutPc("readme.txt", "read me");
    // Refused items are reported and the others still copied.
    DropOnNode({readme, game, ModuleFolder("chess")}, "/sub/");
    EXPECT_EQ(reports.texts, (Texts{"Error - MIF files are allowed to be copied only at the root level on the device",
                                    "Error - Modules are allowed to be copied only at the root level on the device"}));
    DropOnNode({game, ModuleFolder("twice", 2)}, "/");
    EXPECT_EQ(reports.texts.back(), "Error - More than one .mif file found in the specified PC directory");
    DropOnNode({ModuleFolder("chess")}, "/");
    PutPc("plain/inner/p.txt", "p");
    DropOnNode({"plain"}, "/sub/");
    EXPECT_EQ(Device("Game.MIF") + Device("chess.mif") + Device("sub/readme.txt") + Device("sub/plain/inner/p.txt"),
              "module infoinforead mep");
    EXPECT_EQ(rig::fs::file_size(handset.Device() / "chess" / "chess.mod"), 700u);
    EXPECT_NE(Node("/chess/"), nullptr);
    EXPECT_TRUE(Tree()->ModuleCache().stale);
    // Below the last node there is no node; on the list, several rows are no target.
    Tree()->setCurrentItem(Node("/sub/"));
    SelectRows({0, 1});
    const size_t idle = Requests();
    DropOnNode({readme}, nullptr);
    Tree()->DropOnList({readme});
    EXPECT_EQ(Requests(), idle);
    // Otherwise the one selected directory row, else the selected node.
    SelectRows({RowOf("inner")});
    Tree()->DropOnList({readme});
    SelectRows({});
    Tree()->DropOnList({PutPc("note.txt", "note")});
    EXPECT_EQ(Device("sub/inner/readme.txt") + Device("sub/note.txt"), "read menote");
    EXPECT_EQ(reports.texts.size(), 3u);
}

TEST_F(WindowTest, AFailedFolderCopyRemovesOnlyADirectoryItCreated)
{
    PutDevice("sub/logs/keep.txt", "keep");
    Connect([](sim::SimBehaviour& b) { b.failingPaths = {"/sub/logs/new.txt", "/sub/fresh/new.txt"}; });
    PutPc("logs/new.txt", "n");
    PutPc("fresh/new.txt", "n");
    DropOnNode({"logs", "fresh"}, "/sub/");
    // An existing folder fails at once; the file message names the whole path.
    EXPECT_EQ(reports.texts, (Texts{"Error - Could not copy directory to the device:\nsub/logs",
                                    "Error - Could not copy file to the device:\n/sub/fresh/new.txt",
                                    "Error - Could not copy directory to the device:\nsub/fresh"}));
    EXPECT_EQ(Device("sub/logs/keep.txt"), "keep");
    EXPECT_FALSE(OnDevice("sub/fresh"));
    EXPECT_EQ(Node("/sub/fresh/"), nullptr);
}

TEST_F(WindowTest, ALongCopyKeepsTheWindowServedCancelLeavesTheDeviceAsBeforeAndClosesTheWrite)
{
    // The handset refuses a new write while one is open, so the copy after Cancel shows whether
    // the stopped write was closed.
    Connect([](sim::SimBehaviour& b) { b.throttle = b.writesInPlace = b.strictWrites = true; });
    const QString big = PutPc("big.bin", std::string(300 * 1024, 'b'));
    auto deviceListing = [&] {
        Texts entries;
        for (const auto& entry : rig::fs::recursive_directory_iterator(handset.Device()))
            entries.push_back(entry.path().string() + ":" +
                              std::to_string(entry.is_regular_file() ? entry.file_size() : 0));
        std::sort(entries.begin(), entries.end());
        return entries;
    };
    const Texts before = deviceListing();
    QSignalSpy watch(Tree(), &CDeviceTreeCtrl::ConnectionStatusChanged);
    QSignalSpy watchTicks(Tree()->ConnectionTimer(), &QTimer::timeout);
    // A probe on the window's thread: the longest gap between its ticks, and Cancel at 30% once
    // the connection watch has ticked twice under the wait window.
    QElapsedTimer clock;
    qint64 lastTick = 0, longestGap = 0;
    int ticksUnderWaitWindow = 0;
    QString shownFile;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, clock.elapsed() - lastTick);
        lastTick = clock.elapsed();
        auto* wait = qobject_cast<CWaitDialog*>(QApplication::activeModalWidget());
        if (wait == nullptr)
            return;
        ++ticksUnderWaitWindow;
        shownFile = wait->ProgressFileName();
        if (wait->ProgressBar()->value() >= 300 && watchTicks.count() >= 2 && wait->CancelButton()->isEnabled())
            QTest::mouseClick(wait->CancelButton(), Qt::LeftButton);
    });
    clock.start();
    probe.start(10);
    DropOnNode({big}, "/sub/");
    longestGap = std::max(longestGap, clock.elapsed() - lastTick);
    probe.stop();
    EXPECT_LE(longestGap, 150);
    EXPECT_GT(ticksUnderWaitWindow, 10);
    EXPECT_EQ(shownFile, "big.bin");
    // The connection watch ticked all along and kept out while the copy ran.
    EXPECT_GE(watchTicks.count(), 2);
    EXPECT_EQ(watch.count(), 0);
    EXPECT_TRUE(StopRequested());  // Cancel was pressed
    EXPECT_EQ(deviceListing(), before);
    EXPECT_EQ(reports.texts, Texts{"User stopped copy file to device operation"});
    DropOnNode({PutPc("next.txt", "next")}, "/sub/");
    EXPECT_EQ(Device("sub/next.txt"), "next");
    EXPECT_EQ(reports.texts, Texts{"User stopped copy file to device operation"});
}

TEST_F(WindowTest, NewFileCopiesKeepingTheNameAndOffersARetryWithTheSameNames)
{
    Connect([](sim::SimBehaviour& b) { b.failingPaths = {"/sub/bad.txt"}; });
    const QString text = PutPc("f.txt", "text");
    const QString bad = PutPc("bad.txt", "bad");
    WhenModal<CNewFileDialog>([&](CNewFileDialog* dialog) {
        EXPECT_EQ(dialog->DevicePath(), "/");  // the top node is selected
        dialog->SetPcFile(text);
        dialog->SetDevicePath("/sub/");
        dialog->accept();
    });
    Tree()->OnNewFile();
    EXPECT_EQ(Device("sub/f.txt"), "text");
    EXPECT_EQ(Tree()->currentItem(), Node("/sub/"));
    EXPECT_GE(RowOf("f.txt"), 0);

    WhenModal<CNewFileDialog>([&](CNewFileDialog* dialog) {
        EXPECT_EQ(dialog->PcFile(), text);  // the dialog keeps what was typed
        dialog->SetPcFile(bad);
        dialog->accept();
        WhenModal<CNewFileDialog>([&](CNewFileDialog* again) {
            EXPECT_EQ(again->PcFile(), bad);
            EXPECT_EQ(again->DevicePath(), "/sub/bad.txt");
            again->SetDevicePath("/readme.txt");  // refused before anything is sent
            again->accept();
            WhenModal<CNewFileDialog>([](CNewFileDialog* last) { last->reject(); });
        });
    });
    Tree()->OnNewFile();
    EXPECT_EQ(reports.questions, Texts{"Error in copying file on the device \nPlease check the path(s).\n\n"
                                       "Do you want to try again?"});
    EXPECT_EQ(reports.texts, (Texts{"Error - Could not copy file to the device:\n/sub/bad.txt",
                                    "Error - Only MIF files are allowed to be copied at the root level on the device"}));
    EXPECT_FALSE(OnDevice("sub/bad.txt"));
}

TEST_F(WindowTest, NewDirectoryAndNewModuleCheckTheirFieldsAndRefreshTheTree)
{
    Connect([](sim::SimBehaviour& b) { b.failingPaths = {"/bad"}; });
    Tree()->setCurrentItem(Node("/sub/"));
    SelectRows({RowOf("inner")});
    WhenModal<CNewDirectoryDialog>([&](CNewDirectoryDialog* dialog) {
        EXPECT_EQ(dialog->DirectoryPath(), "/sub/inner/");
        dialog->SetDirectoryPath("");
        dialog->accept();
        WhenModal<CNewDirectoryDialog>([](CNewDirectoryDialog* again) {
            again->SetDirectoryPath(" /sub/inner/made ");
            again->accept();
        });
    });
    Tree()->OnNewDirectory();
    EXPECT_EQ(Tree()->currentItem(), Node("/sub/inner/"));
    EXPECT_EQ(Rows(), (QStringList{"made|0 bytes|Directory", "i.txt|1 bytes|File"}));
    reports.answers = {false};
    WhenModal<CNewDirectoryDialog>([](CNewDirectoryDialog* dialog) {
        dialog->SetDirectoryPath("/bad");
        dialog->accept();
    });
    Tree()->OnNewDirectory();
    EXPECT_EQ(reports.questions, Texts{"Error in creating directory on the device \nPlease check the path.\n\n"
                                       "Do you want to try again?"});

    const QString chess = ModuleFolder("chess");
    for (const char* name : {"chess", ""}) {
        WhenModal<CNewModuleDialog>([&](CNewModuleDialog* dialog) {
            dialog->SetModuleDirectory(chess);
            dialog->SetModuleName(name);
            dialog->accept();
        });
        Tree()->OnNewModule();
    }
    EXPECT_EQ(Device("chess.mif"), "info");
    EXPECT_NE(Node("/chess/"), nullptr);
    EXPECT_TRUE(Tree()->ModuleCache().stale);
    EXPECT_EQ(reports.texts, (Texts{"Error - Directory was not specified",
                                    "Error - Either module directory or module name was not specified"}));
}

}  // namespace
