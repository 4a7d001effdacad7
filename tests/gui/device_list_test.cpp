// The device list against the virtual handset: root listing, sizes in both modes and without
// statistics, activation of rows, and Module > List with its cache.
#include <QAction>
#include <QTreeView>

#include "device_window_fixture.h"
#include "ui/command_ids.h"
#include "ui/copy_to_device_dialogs.h"

namespace {

class DeviceListTest : public DeviceWindowTest {
protected:
    void PutModuleLayout()
    {
        PutDeviceFile("a.mif", std::string(100, 'm'));
        PutDeviceFile("b.mif", std::string(20, 'm'));
        PutDeviceFile("notes.txt", "n");
        PutDeviceFile("a/a.mod", std::string(300, 'd'));
    }

    void DoubleClickRow(int row)
    {
        QTreeView* view = List()->DetailsView();
        const QRect rect = view->visualRect(List()->Model()->index(row, columnName));
        // A double-click follows the press and release of its first click.
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    }
};

TEST_F(DeviceListTest, RootShowsDirectoriesFirstThenOnlyMifFilesWithSizesInBothModes)
{
    PutModuleLayout();
    Connect();
    ASSERT_EQ(List()->RowCount(), 4) << Rows().join(", ").toStdString();
    EXPECT_EQ(List()->Text(0, columnType), "Directory");
    EXPECT_EQ(List()->Text(1, columnType), "Directory");
    EXPECT_EQ(Rows().mid(2), (QStringList{"a.mif|100 bytes|File", "b.mif|20 bytes|File"}));
    EXPECT_EQ(List()->Text(RowOf("a"), columnSize), "300 bytes");
    EXPECT_FALSE(List()->Text(RowOf("a.mif"), columnModified).isEmpty());
    EXPECT_TRUE(List()->Text(RowOf("a"), columnModified).isEmpty());

    frame->Action(cmdAllocatedSize)->trigger();
    // 100 + 34 and 300 + 34 bytes, rounded up to the next multiple of 240.
    EXPECT_EQ(List()->Text(RowOf("a.mif"), columnSize), "240 bytes");
    EXPECT_EQ(List()->Text(RowOf("a"), columnSize), "480 bytes");
    const size_t before = Requests();
    frame->Action(cmdAllocatedSize)->trigger();  // already in force: no refresh
    EXPECT_EQ(Requests(), before);

    // Below the root every file is listed.
    Tree()->setCurrentItem(Node("/a/"));
    EXPECT_EQ(Rows(), QStringList{"a.mod|480 bytes|File"});
    EXPECT_TRUE(messages.empty());
}

TEST_F(DeviceListTest, WithoutStatisticsSizesAndDatesAreBlankAndSizeModesGrey)
{
    PutModuleLayout();
    StartHandset([](sim::SimBehaviour& behaviour) { behaviour.usedFigureZero = true; });
    Connect();
    EXPECT_FALSE(EfsStatsAvailable);
    for (int row = 0; row < List()->RowCount(); ++row) {
        EXPECT_TRUE(List()->Text(row, columnSize).isEmpty()) << row;
        EXPECT_TRUE(List()->Text(row, columnModified).isEmpty()) << row;
    }
    EXPECT_FALSE(frame->Action(cmdActualSize)->isEnabled());
    EXPECT_FALSE(frame->Action(cmdAllocatedSize)->isEnabled());
}

TEST_F(DeviceListTest, DoubleClickOnADirectoryRowSelectsItsNodeAndOnAFileDoesNothing)
{
    PutDeviceFile("data/logs/deep/boot.log", "b");
    PutDeviceFile("data/settings.cfg", "s");
    Connect();
    DoubleClickRow(RowOf("data"));
    ASSERT_EQ(Tree()->currentItem(), Node("/data/"));
    DoubleClickRow(RowOf("logs"));
    ASSERT_EQ(Tree()->currentItem(), Node("/data/logs/"));
    DoubleClickRow(RowOf("deep"));  // three levels down: its parent is expanded first
    ASSERT_EQ(Tree()->currentItem(), Node("/data/logs/deep/"));
    EXPECT_TRUE(Node("/data/logs/")->isExpanded());
    EXPECT_EQ(Rows(), QStringList{"boot.log|1 bytes|File"});

    DoubleClickRow(0);
    EXPECT_EQ(Tree()->currentItem(), Node("/data/logs/deep/"));
}

TEST_F(DeviceListTest, ModuleListFromTheRootRowsPairsMifFilesWithTheirDirectories)
{
    PutModuleLayout();
    Connect();
    Tree()->OnModuleList();
    // b.mif has no directory b, so only a is a module: 100 + 300 bytes.
    EXPECT_EQ(Rows(), QStringList{"a|400 bytes|Module"});
    EXPECT_FALSE(Tree()->ModuleCache().stale);

    // A fresh cache shows again without asking the device.
    const size_t before = Requests();
    Tree()->OnModuleList();
    EXPECT_EQ(Requests(), before);
    EXPECT_EQ(Rows(), QStringList{"a|400 bytes|Module"});

    // A Module row opens the module's directory.
    SelectRows({0});
    Tree()->OnListRowActivated();
    EXPECT_EQ(Tree()->currentItem(), Node("/a/"));
    EXPECT_TRUE(messages.empty());
}

TEST_F(DeviceListTest, ModuleListWithoutStatisticsFromASubdirectoryAsksTheDevice)
{
    PutModuleLayout();
    StartHandset([](sim::SimBehaviour& behaviour) { behaviour.usedFigureZero = true; });
    Connect();
    Tree()->setCurrentItem(Node("/a/"));
    Tree()->OnModuleList();
    EXPECT_EQ(Rows(), (QStringList{"a||Module", "b||Module"}));
    EXPECT_EQ(Tree()->currentItem(), Tree()->TopNode());
}

TEST_F(DeviceListTest, AStaleCacheIsNotRebuiltFromAShownModuleList)
{
    PutModuleLayout();
    Connect();
    Tree()->OnModuleList();
    ASSERT_EQ(Rows(), QStringList{"a|400 bytes|Module"});
    // A failed module load marks the cache stale and leaves the module rows showing.
    const QString empty = QString::fromStdString((pc / "empty").string());
    fs::create_directories(pc / "empty");
    WhenModal<CNewModuleDialog>([&](CNewModuleDialog* dialog) {
        dialog->SetModuleDirectory(empty);
        dialog->SetModuleName("c");
        dialog->accept();
    });
    Tree()->OnNewModule();
    ASSERT_EQ(messages, std::vector<std::string>{"Error - No MIF file found in the specified PC directory"});
    ASSERT_TRUE(Tree()->ModuleCache().stale);
    Tree()->OnModuleList();
    EXPECT_EQ(Rows(), QStringList{"a|400 bytes|Module"});
    // b.mif has no directory: sizing it reports an unreadable directory, but never that no
    // module is stored.
    for (const std::string& message : messages)
        EXPECT_NE(message, "There is no VANT module stored on the device");
}

}  // namespace
