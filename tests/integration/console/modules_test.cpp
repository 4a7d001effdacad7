// The module options -v, -l, -p, -d and -g against the virtual handset, byte for byte.
#include "console_fixture.h"

namespace {

const std::string moduleTableHeader =
    "\n\n===================================================\n"
    "\tLoaded VANT application modules:\n"
    "===================================================\n\n";

TEST_F(ConsoleSession, ViewListsModulesWithSizes)
{
    PutDeviceFile("chess.mif", std::string(100, 'm'));
    PutDeviceFile("chess/chess.mod", std::string(1000, 'd'));
    PutDeviceFile("chess/chess.sig", std::string(50, 's'));
    PutDeviceFile("readme.txt", "not a module");
    const auto result = Run({"-v"});
    EXPECT_EQ(WithoutDots(result.output),
              Connected() + moduleTableHeader +
                  "\t\tModule Name\tModule Size\n\t-----------------------------------\n"
                  "                   chess\t    1150\n"
                  "\t-----------------------------------\n");
}

TEST_F(ConsoleSession, WithoutUsageFiguresSizesAndStatisticsAreHidden)
{
    PutDeviceFile("chess.mif", "m");
    PutDeviceFile("chess/chess.mod", "d");
    StartHandset([](sim::SimBehaviour& b) { b.usedFigureZero = true; });
    EXPECT_EQ(WithoutDots(Run({"-v"}).output),
              Connected() + moduleTableHeader +
                  "\t\tModule Name\n\t-------------------------\n"
                  "                   chess\n"
                  "\t-------------------------\n");
    EXPECT_EQ(WithoutDots(Run({"-s"}).output), Connected() + UsageText(false));
}

TEST_F(ConsoleSession, ViewWithoutModules)
{
    PutDeviceFile("readme.txt", "x");
    EXPECT_EQ(WithoutDots(Run({"-v"}).output),
              Connected() + Message("There is no VANT module stored on the device"));
}

TEST_F(ConsoleSession, LoadCopiesTheModuleByteForByte)
{
    std::string big(70000, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
    const std::string small(1000, 'k');
    MakeModuleDir("chess", {{"chess.mif", "info"}, {"chess.mod", big}, {"chess.sig", small},
                            {"chess.bar", "bar"}, {"extra/notes.txt", "n"}});
    const auto result = Run({"-l", (pc_ / "chess").string(), " /chess/ "});
    EXPECT_EQ(WithoutDots(result.output),
              Connected() + Message("Load VANT Module on the device was successful"));
    EXPECT_EQ(ReadFile(device_ / "chess.mif"), "info");
    EXPECT_EQ(ReadFile(device_ / "chess/chess.mod"), big);
    EXPECT_EQ(ReadFile(device_ / "chess/chess.sig"), small);
    EXPECT_EQ(ReadFile(device_ / "chess/extra/notes.txt"), "n");
    EXPECT_FALSE(fs::exists(device_ / "chess/chess.mif"));
}

struct LoadRefusal {
    std::vector<std::pair<std::string, std::string>> files;
    std::string moduleName;
    std::string message;
};

TEST_F(ConsoleSession, LoadRefusesBadModuleFoldersBeforeCopying)
{
    const std::vector<LoadRefusal> refusals = {
        {{{"chess.mif", "i"}}, "a/b", "Error - Invalid module name specified"},
        {{{"game.mif", "i"}}, "chess", "Error - No MIF file found in the specified PC directory"},
        {{{"chess.mif", "i"}, {"other.MIF", "i"}}, "chess",
         "Error - More than one .mif file found in the specified PC directory"},
        {{{"chess.mif", "i"}, {"a.mod", "m"}, {"b.mod", "m"}, {"a.sig", "s"}, {"b.sig", "s"}},
         "chess", "Error - More than one .mod file found in the specified PC directory"},
        {{{"chess.mif", "i"}, {"a.mod", "m"}, {"a.sig", "s"}, {"b.sig", "s"}}, "chess",
         "Error - More than one .sig file found in the specified PC directory"},
        {{{"chess.mif", "i"}, {"chess.mod", "m"}, {"chess2.sig", "s"}, {"c.bar", "b"}}, "chess",
         "Error - .mod file and .sig file in the specified PC directory have different names"},
    };
    StartHandset();
    int index = 0;
    for (const auto& refusal : refusals) {
        const std::string dir = "case" + std::to_string(index++);
        MakeModuleDir(dir, refusal.files);
        EXPECT_EQ(WithoutDots(Run({"-l", (pc_ / dir).string(), refusal.moduleName}).output),
                  Connected() + Message(refusal.message))
            << refusal.message;
    }
    EXPECT_TRUE(DeviceIsBare());
}

TEST_F(ConsoleSession, LoadRefusesAModuleAlreadyOnTheDeviceInAnyCase)
{
    PutDeviceFile("CHESS.MIF", "old");
    MakeModuleDir("chess", {{"chess.mif", "i"}, {"chess.mod", "m"}, {"chess.sig", "s"}, {"c.bar", "b"}});
    EXPECT_EQ(WithoutDots(Run({"-l", (pc_ / "chess").string(), "chess"}).output),
              Connected() + Message("Error - MIF file with the same name already exists on the "
                                    "device. Please delete existing module from the device first"));
    EXPECT_FALSE(fs::exists(device_ / "chess"));
}

TEST_F(ConsoleSession, LoadRefusesAModuleLargerThanTheFreeSpace)
{
    capacity_ = 2000;  // a 1,000-byte file takes 1,200 bytes, the .mif 240 more
    MakeModuleDir("chess", {{"chess.mif", "i"}, {"chess.mod", std::string(1000, 'm')},
                            {"chess.sig", "s"}, {"c.bar", "b"}});
    EXPECT_EQ(WithoutDots(Run({"-l", (pc_ / "chess").string(), "chess"}).output),
              Connected() + Message("Error - Not enough space on the device EFS for copying "
                                    "specified Module from PC"));
    EXPECT_TRUE(DeviceIsBare());
}

TEST_F(ConsoleSession, MissingModuleFilesAskWhetherToGoOn)
{
    MakeModuleDir("chess", {{"chess.mif", "i"}, {"chess.mod", "m"}, {"chess.sig", "s"}});
    const std::string question =
        "Warning - Either of .mod file, .sig file and .bar file is/ are not present\nin local "
        "directory " + (pc_ / "chess").string() + ".\n\nDo you still want to continue (y/n)?[y] ";
    StartHandset();
    for (const std::string answer : {"y\n", "Y\n", "\n", ""}) {
        ResetDevice();
        const auto result = Run({"-l", (pc_ / "chess").string(), "chess"}, answer);
        EXPECT_EQ(WithoutDots(result.output),
                  Connected() + question + Message("Load VANT Module on the device was successful"))
            << "answer " << answer;
        EXPECT_TRUE(fs::exists(device_ / "chess/chess.mod"));
    }
    for (const std::string answer : {"n\n", "N\n"}) {
        ResetDevice();
        EXPECT_EQ(WithoutDots(Run({"-l", (pc_ / "chess").string(), "chess"}, answer).output),
                  Connected() + question + Message("User stopped load VANT module operation"));
        EXPECT_TRUE(DeviceIsBare());
    }
}

TEST_F(ConsoleSession, FailedCopyRollsTheModuleBack)
{
    MakeModuleDir("chess", {{"chess.mif", "i"}, {"chess.mod", "m"}, {"chess.sig", "s"}, {"c.bar", "b"}});
    StartHandset([](sim::SimBehaviour& b) { b.failingPaths = {"/chess/chess.sig"}; });
    EXPECT_EQ(WithoutDots(Run({"-l", (pc_ / "chess").string(), "chess"}).output),
              Connected() + Message("Error - Could not copy file to the device:\n/chess/chess.sig") +
                  Message("Error - Could not copy module to the device"));
    EXPECT_TRUE(DeviceIsBare());
}

TEST_F(ConsoleSession, FailedCopyKeepsAModuleDirectoryThatWasThereBefore)
{
    PutDeviceFile("chess/keep.txt", "precious");
    MakeModuleDir("chess", {{"chess.mif", "i"}, {"chess.mod", "m"}, {"chess.sig", "s"}, {"c.bar", "b"}});
    const auto result = Run({"-l", (pc_ / "chess").string(), "chess"});
    EXPECT_EQ(WithoutDots(result.output),
              Connected() + Message("Error - Could not copy module to the device"));
    EXPECT_EQ(ReadFile(device_ / "chess/keep.txt"), "precious");
    EXPECT_FALSE(fs::exists(device_ / "chess.mif"));
}

TEST_F(ConsoleSession, PendingFileLandsAtItsFixedPath)
{
    PutPcFile("pend.dat", "pending contents");
    EXPECT_EQ(WithoutDots(Run({"-p", (pc_ / "pend.dat").string()}).output),
              Connected() + Message("Load pending operation was successful"));
    EXPECT_EQ(ReadFile(device_ / "pending"), "pending contents");
    EXPECT_EQ(WithoutDots(Run({"/p", (pc_ / "missing").string()}).output),
              Connected() + Message("Error - Could not open file from PC") +
                  Message("Error - Load pending operation failed"));
}

TEST_F(ConsoleSession, DeleteRemovesTheModuleOrSaysWhatIsMissing)
{
    PutDeviceFile("chess.mif", "m");
    PutDeviceFile("chess/chess.mod", "d");
    EXPECT_EQ(WithoutDots(Run({"-d", "chess"}).output),
              Connected() + Message("Delete VANT module from the device was successful"));
    EXPECT_TRUE(DeviceIsBare());

    EXPECT_EQ(WithoutDots(Run({"-d", "chess"}).output),
              Connected() + Message("Error - Invalid module name specified. Please check the name"));

    PutDeviceFile("chess/chess.mod", "d");
    EXPECT_EQ(WithoutDots(Run({"-delete", "chess"}).output),
              Connected() + Message("Error - Could not find module's mif file:\n/chess.mif") +
                  Message("Delete VANT module from the device was successful"));
    EXPECT_TRUE(DeviceIsBare());
}

TEST_F(ConsoleSession, DeleteRemovesAnEmptyModuleDirectoryLeftBehind)
{
    fs::create_directories(device_ / "chess");
    EXPECT_EQ(WithoutDots(Run({"-d", "chess"}).output),
              Connected() + Message("Error - Could not find module's mif file:\n/chess.mif") +
                  Message("Delete VANT module from the device was successful"));
    EXPECT_TRUE(DeviceIsBare());
}

TEST_F(ConsoleSession, FailedDeleteShowsOnlyItsDetails)
{
    PutDeviceFile("chess.mif", "m");
    PutDeviceFile("chess/chess.mod", "d");
    PutDeviceFile("chess/chess.sig", "s");
    StartHandset([](sim::SimBehaviour& b) { b.failingPaths = {"/chess/chess.mod"}; });
    EXPECT_EQ(WithoutDots(Run({"-d", "chess"}).output),
              Connected() + Message("Error - Could not remove directory from the device:\n/chess"));
}

TEST_F(ConsoleSession, FetchAsksBeforeReplacingAndNeverLosesTheOldFile)
{
    PutDeviceFile("chess/chess.mod", "new contents");
    const std::string dir = (pc_ / "out").string();  // no trailing "/"
    fs::create_directories(dir);
    EXPECT_EQ(WithoutDots(Run({"-g", "/chess/chess.mod", dir}).output),
              Connected() + Message("Operation was successful"));
    EXPECT_EQ(ReadFile(dir + "/chess.mod"), "new contents");

    std::ofstream(dir + "/chess.mod") << "old";
    const std::string question = "Warning - Would you like to replace the existing file " + dir +
                                 "/chess.mod on PC hard disk with this one (y/n)?[y] ";
    EXPECT_EQ(WithoutDots(Run({"-g", "chess/chess.mod", dir}, "n\n").output),
              Connected() + question + Message("User stopped copy file from device operation"));
    EXPECT_EQ(ReadFile(dir + "/chess.mod"), "old");
    EXPECT_EQ(WithoutDots(Run({"-g", "chess/chess.mod", dir}, "\n").output),
              Connected() + question + Message("Operation was successful"));
    EXPECT_EQ(ReadFile(dir + "/chess.mod"), "new contents");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);

    PutDeviceFile("empty.txt", "");
    EXPECT_EQ(WithoutDots(Run({"-g", "empty.txt", dir}).output),
              Connected() + Message("Error - Could not read file from the device"));
    EXPECT_FALSE(fs::exists(dir + "/empty.txt"));
}

TEST_F(ConsoleSession, StatisticsShowFreeAndTotalKilobytes)
{
    PutDeviceFile("a.bin", std::string(5000, 'a'));
    StartHandset();
    uint64_t used = 0;
    uint64_t free = 0;
    host_->WithFileSystem([&](sim::CSimFileSystem& files) {
        used = files.UsedBytes();
        free = files.FreeBytes();
    });
    const std::string figures = "\nMem free/total: " + std::to_string(free / 1024) + "K / " +
                                std::to_string(free / 1024 + used / 1024) + "K\n";
    EXPECT_EQ(WithoutDots(Run({"-s"}).output), Connected() + figures);
}

TEST_F(ConsoleSession, OfflineAndResetWaitForTheHandset)
{
    StartHandset([](sim::SimBehaviour& b) { b.resetAbsence = std::chrono::milliseconds(700); });
    const auto off = WithoutDots(Run({"-o"}).output);
    EXPECT_EQ(CollapseDotsAfter(off, "Waiting for phone to go offline"),
              Connected() + "Waiting for phone to go offline\n" + Message("Device is now offline"));

    const auto reset = WithoutDots(Run({"-r"}).output);
    EXPECT_EQ(CollapseDotsAfter(reset, "Waiting for phone to come back online", "<dots>"),
              Connected() + "Waiting for phone to come back online<dots>\n" +
                  Message("Device is now online"));
}

}  // namespace
