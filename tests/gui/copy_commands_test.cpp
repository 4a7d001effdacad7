// Copies to the device from the window against the virtual handset: drops on the tree and the
// list under the placement rules, the clean-up after a failed folder copy, the transfer's
// progress, and the New File, New Directory and New Module commands.
#include <QElapsedTimer>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>

#include "device_window_fixture.h"
#include "platform/stop_request.h"
#include "ui/copy_to_device_dialogs.h"
#include "ui/wait_dialog.h"

namespace {

const std::string mifOnlyAtRoot =
    "Error - MIF files are allowed to be copied only at the root level on the device";
const std::string onlyMifAtRoot =
    "Error - Only MIF files are allowed to be copied at the root level on the device";

class CopyCommandsTest : public DeviceWindowTest {
protected:
    void SetUp() override
    {
        DeviceWindowTest::SetUp();
        PutDeviceFile("sub/existing.txt", "e");
    }

    QString ModuleFolder(const std::string& name, int mifFiles = 1)
    {
        PutPcFile(name + "/" + name + ".mod", std::string(700, 'm'));
        PutPcFile(name + "/" + name + ".sig", std::string(64, 's'));
        for (int i = 0; i < mifFiles; ++i)
            PutPcFile(name + "/" + name + (i ? std::to_string(i) : "") + ".mif", "info");
        return QString::fromStdString((pc / name).string());
    }
};

TEST_F(CopyCommandsTest, DroppedFilesFollowThePlacementRules)
{
    Connect();
    const QString chess = PutPcFile("Chess.MIF", "module info");
    const QString readme = PutPcFile("readme.txt", "read me");
    const QString other = PutPcFile("other.txt", "other");

    DropOnNode({chess}, Tree()->TopNode());
    EXPECT_EQ(ReadFile(device / "Chess.MIF"), "module info");
    EXPECT_TRUE(Tree()->ModuleCache().stale);
    EXPECT_GE(RowOf("Chess.MIF"), 0);

    DropOnNode({readme}, Tree()->TopNode());
    EXPECT_EQ(messages, std::vector<std::string>{onlyMifAtRoot});
    EXPECT_FALSE(fs::exists(device / "readme.txt"));

    // Three items, the middle one refused: the other two are copied.
    messages.clear();
    const size_t before = Requests();
    DropOnNode({readme, chess, other}, Node("/sub/"));
    EXPECT_EQ(messages, std::vector<std::string>{mifOnlyAtRoot});
    EXPECT_EQ(ReadFile(device / "sub" / "readme.txt"), "read me");
    EXPECT_EQ(ReadFile(device / "sub" / "other.txt"), "other");
    EXPECT_FALSE(fs::exists(device / "sub" / "Chess.MIF"));
    EXPECT_GT(Requests(), before);

    // Below the last node there is no node: nothing happens.
    const size_t idle = Requests();
    DropOnTree({other}, QPoint(5, Tree()->viewport()->height() - 2));
    EXPECT_EQ(Requests(), idle);
    EXPECT_EQ(messages.size(), 1u);
}

TEST_F(CopyCommandsTest, DroppedFoldersLoadModulesOnlyAtTheRoot)
{
    Connect();
    const QString chess = ModuleFolder("chess");
    const QString twoMif = ModuleFolder("twice", 2);
    const QString plain = QString::fromStdString((pc / "plain").string());
    PutPcFile("plain/inner/p.txt", "p");

    DropOnNode({chess}, Node("/sub/"));
    EXPECT_EQ(messages, std::vector<std::string>{
                            "Error - Modules are allowed to be copied only at the root level on "
                            "the device"});
    DropOnNode({twoMif}, Tree()->TopNode());
    EXPECT_EQ(messages.back(), "Error - More than one .mif file found in the specified PC directory");
    EXPECT_FALSE(fs::exists(device / "sub" / "chess"));
    EXPECT_FALSE(fs::exists(device / "twice"));

    messages.clear();
    DropOnNode({chess}, Tree()->TopNode());
    EXPECT_TRUE(messages.empty()) << messages.front();
    EXPECT_EQ(ReadFile(device / "chess.mif"), "info");
    EXPECT_EQ(fs::file_size(device / "chess" / "chess.mod"), 700u);
    EXPECT_NE(Node("/chess/"), nullptr);

    DropOnNode({plain}, Node("/sub/"));
    EXPECT_EQ(ReadFile(device / "sub" / "plain" / "inner" / "p.txt"), "p");
    EXPECT_TRUE(messages.empty());
}

TEST_F(CopyCommandsTest, AFailedFolderCopyRemovesOnlyADirectoryItCreated)
{
    PutDeviceFile("sub/logs/keep.txt", "keep");
    StartHandset([](sim::SimBehaviour& behaviour) {
        behaviour.failingPaths = {"/sub/logs/new.txt", "/sub/fresh/new.txt"};
    });
    Connect();
    PutPcFile("logs/new.txt", "n");
    PutPcFile("fresh/new.txt", "n");

    DropOnNode({QString::fromStdString((pc / "logs").string())}, Node("/sub/"));
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back(), "Error - Could not copy directory to the device:\nsub/logs");
    EXPECT_EQ(ReadFile(device / "sub" / "logs" / "keep.txt"), "keep");

    DropOnNode({QString::fromStdString((pc / "fresh").string())}, Node("/sub/"));
    EXPECT_EQ(messages.back(), "Error - Could not copy directory to the device:\nsub/fresh");
    EXPECT_FALSE(fs::exists(device / "sub" / "fresh"));
    EXPECT_EQ(Node("/sub/fresh/"), nullptr);
}

TEST_F(CopyCommandsTest, TheTransferWaitWindowShowsTheFileAndItsProgress)
{
    Connect();
    const QString big = PutPcFile("big.mif", std::string(3000, 'b'));
    const QString readme = PutPcFile("readme.txt", "r");
    // The refusal of the second item is reported while the wait window still shows the first.
    QString fileName;
    int progress = -1;
    SetMessageBoxHandler([&](const std::string& text) {
        messages.push_back(text);
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* wait = qobject_cast<CWaitDialog*>(widget); wait && wait->isVisible()) {
                fileName = wait->ProgressFileName();
                progress = wait->ProgressBar()->isVisible() ? wait->ProgressBar()->value() : -2;
            }
        }
    });
    DropOnNode({big, readme}, Tree()->TopNode());
    EXPECT_EQ(messages, std::vector<std::string>{onlyMifAtRoot});
    EXPECT_EQ(fileName, "big.mif");
    EXPECT_EQ(progress, 1000);  // permille of the bytes: all done
}

TEST_F(CopyCommandsTest, ALongCopyKeepsTheWindowServedAndCancelLeavesTheDeviceAsBefore)
{
    StartHandset([](sim::SimBehaviour& behaviour) { behaviour.throttle = true; });
    Connect();
    const QString big = PutPcFile("big.bin", std::string(300 * 1024, 'b'));
    auto listing = [this] {
        std::vector<std::string> entries;
        for (const auto& entry : fs::recursive_directory_iterator(device)) {
            const auto size = entry.is_regular_file() ? entry.file_size() : 0;
            entries.push_back(entry.path().string() + ":" + std::to_string(size));
        }
        std::sort(entries.begin(), entries.end());
        return entries;
    };
    const std::vector<std::string> before = listing();
    QSignalSpy watch(Tree(), &CDeviceTreeCtrl::ConnectionStatusChanged);

    // A probe on the window's thread: the longest gap between its ticks, and Cancel at 30%.
    QElapsedTimer clock;
    qint64 lastTick = 0;
    qint64 longestGap = 0;
    int ticksUnderWaitWindow = 0;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, clock.elapsed() - lastTick);
        lastTick = clock.elapsed();
        auto* wait = qobject_cast<CWaitDialog*>(QApplication::activeModalWidget());
        if (wait == nullptr)
            return;
        ++ticksUnderWaitWindow;
        if (wait->ProgressBar()->value() >= 300 && wait->CancelButton()->isEnabled())
            QTest::mouseClick(wait->CancelButton(), Qt::LeftButton);
    });
    clock.start();
    probe.start(10);
    DropOnNode({big}, Node("/sub/"));
    longestGap = std::max(longestGap, clock.elapsed() - lastTick);
    probe.stop();
    EXPECT_LE(longestGap, 150);
    EXPECT_GT(ticksUnderWaitWindow, 10);
    // The connection watch ticked all along and kept out while the copy ran.
    EXPECT_TRUE(Tree()->ConnectionTimer()->isActive());
    EXPECT_EQ(watch.count(), 0);
    EXPECT_TRUE(StopRequested());  // Cancel was pressed

    EXPECT_EQ(listing(), before);
    EXPECT_EQ(messages, std::vector<std::string>{"User stopped copy file to device operation"});
}

TEST_F(CopyCommandsTest, DropsOnTheListGoToTheSelectedNodeOrTheOneSelectedDirectoryRow)
{
    PutDeviceFile("sub/inner/i.txt", "i");
    Connect();
    const QString note = PutPcFile("note.txt", "note");
    Tree()->setCurrentItem(Node("/sub/"));
    SelectRows({RowOf("inner")});
    Tree()->DropOnList({note});
    EXPECT_EQ(ReadFile(device / "sub" / "inner" / "note.txt"), "note");

    SelectRows({});
    Tree()->DropOnList({note});
    EXPECT_EQ(ReadFile(device / "sub" / "note.txt"), "note");

    fs::remove(device / "sub" / "note.txt");
    SelectRows({0, 1});
    const size_t before = Requests();
    Tree()->DropOnList({note});
    EXPECT_EQ(Requests(), before);
    EXPECT_TRUE(messages.empty());
}

TEST_F(CopyCommandsTest, NewFileCopiesToTheRootAndIntoADirectoryKeepingTheName)
{
    Connect();
    const QString mif = PutPcFile("f.mif", "mif");
    const QString text = PutPcFile("f.txt", "text");
    WhenModal<CNewFileDialog>([&](CNewFileDialog* dialog) {
        EXPECT_EQ(dialog->DevicePath(), "/");  // the top node is selected
        dialog->SetPcFile(mif);
        dialog->accept();
    });
    Tree()->OnNewFile();
    EXPECT_EQ(ReadFile(device / "f.mif"), "mif");

    WhenModal<CNewFileDialog>([&](CNewFileDialog* dialog) {
        EXPECT_EQ(dialog->PcFile(), mif);  // the dialog keeps what was typed
        dialog->SetPcFile(text);
        dialog->SetDevicePath("/sub/");
        dialog->accept();
    });
    Tree()->OnNewFile();
    EXPECT_EQ(ReadFile(device / "sub" / "f.txt"), "text");
    EXPECT_EQ(Tree()->currentItem(), Node("/sub/"));
    EXPECT_GE(RowOf("f.txt"), 0);
    EXPECT_TRUE(messages.empty());
}

TEST_F(CopyCommandsTest, AFailedNewFileAsksToRetryWithTheSameNames)
{
    StartHandset([](sim::SimBehaviour& behaviour) { behaviour.failingPaths = {"/sub/f.txt"}; });
    Connect();
    const QString text = PutPcFile("f.txt", "text");
    WhenModal<CNewFileDialog>([&](CNewFileDialog* dialog) {
        dialog->SetPcFile(text);
        dialog->SetDevicePath("/sub/");
        dialog->accept();
        WhenModal<CNewFileDialog>([&](CNewFileDialog* again) {
            EXPECT_EQ(again->PcFile(), text);
            EXPECT_EQ(again->DevicePath(), "/sub/f.txt");
            again->reject();
        });
    });
    answers = {true};
    Tree()->OnNewFile();
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0], "Error in copying file on the device \nPlease check the path(s).\n\n"
                            "Do you want to try again?");
    EXPECT_FALSE(fs::exists(device / "sub" / "f.txt"));

    // The placement rule is checked before anything is sent, and the dialog comes back.
    messages.clear();
    WhenModal<CNewFileDialog>([&](CNewFileDialog* dialog) {
        dialog->SetDevicePath("/readme.txt");
        dialog->accept();
        WhenModal<CNewFileDialog>([](CNewFileDialog* again) { again->reject(); });
    });
    Tree()->OnNewFile();
    EXPECT_EQ(messages, std::vector<std::string>{onlyMifAtRoot});
}

TEST_F(CopyCommandsTest, NewDirectoryChecksItsPathAndRefreshesTheContainingNode)
{
    PutDeviceFile("sub/inner/i.txt", "i");
    Connect();
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
    EXPECT_EQ(messages, std::vector<std::string>{"Error - Directory was not specified"});
    EXPECT_TRUE(fs::is_directory(device / "sub" / "inner" / "made"));
    EXPECT_EQ(Tree()->currentItem(), Node("/sub/inner/"));
    EXPECT_EQ(Rows(), (QStringList{"made|0 bytes|Directory", "i.txt|1 bytes|File"}));

    StartHandset([](sim::SimBehaviour& behaviour) { behaviour.failingPaths = {"/bad"}; });
    ASSERT_EQ(Tree()->ConnectToPort(host->SlavePath()), msgSuccess);
    answers = {false};
    WhenModal<CNewDirectoryDialog>([](CNewDirectoryDialog* dialog) {
        dialog->SetDirectoryPath("/bad");
        dialog->accept();
    });
    Tree()->OnNewDirectory();
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0], "Error in creating directory on the device \nPlease check the path.\n\n"
                            "Do you want to try again?");
}

}  // namespace

namespace {

TEST_F(CopyCommandsTest, NewModuleLoadsTheFolderAndRefreshesTheTopNode)
{
    Connect();
    const QString chess = ModuleFolder("chess");
    WhenModal<CNewModuleDialog>([&](CNewModuleDialog* dialog) {
        dialog->SetModuleDirectory(chess);
        dialog->SetModuleName("chess");
        dialog->accept();
    });
    Tree()->OnNewModule();
    EXPECT_TRUE(messages.empty()) << messages.front();
    EXPECT_EQ(ReadFile(device / "chess.mif"), "info");
    EXPECT_NE(Node("/chess/"), nullptr);
    EXPECT_TRUE(Tree()->ModuleCache().stale);

    WhenModal<CNewModuleDialog>([&](CNewModuleDialog* dialog) {
        EXPECT_EQ(dialog->ModuleDirectory(), chess);  // kept from the last use
        dialog->SetModuleName("");
        dialog->accept();
    });
    Tree()->OnNewModule();
    EXPECT_EQ(messages, std::vector<std::string>{
                            "Error - Either module directory or module name was not specified"});
}

}  // namespace
