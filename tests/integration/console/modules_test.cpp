// The module options -v, -l, -p, -d and -g against the virtual handset, byte for byte.
#include <unistd.h>

#include <cctype>
#include <sstream>

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
        {{{"chess.mif", "i"}}, "", "Error - Invalid module name specified"},
        {{{"chess.mif", "i"}, {"x.mif/a", "a"}}, "chess",
         "Error - More than one .mif file found in the specified PC directory"},
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

    // A module is there when its .mif is listed, whatever its size.
    PutDeviceFile("zero.mif", "");
    PutDeviceFile("zero/zero.mod", "d");
    EXPECT_NE(Run({"-v"}).output.find("                    zero\t       1\n"), std::string::npos);
    EXPECT_EQ(WithoutDots(Run({"-d", "zero"}).output),
              Connected() + Message("Delete VANT module from the device was successful"));
    EXPECT_TRUE(DeviceIsBare());
}

// Whatever the letter case of the PC files and of the typed names, a load followed by a delete
// of the name the listing shows, typed in another case, leaves the device as it began.
TEST_F(ConsoleSession, LoadListDeleteIgnoresLetterCase)
{
    const std::vector<std::vector<std::string>> pcNames = {
        {"chess.mif", "chess.mod", "chess.sig", "chess.bar"},
        {"CHESS.MIF", "CHESS.MOD", "CHESS.SIG", "CHESS.BAR"},
        {"Chess.Mif", "Chess.mod", "Chess.SIG", "chess.Bar"},
    };
    const std::vector<std::string> typed = {"chess", "CHESS", "Chess"};
    const auto inCase = [](std::string name, size_t variant) {
        for (size_t i = 0; i < name.size(); ++i)
            name[i] = static_cast<char>(variant == 0 || (variant == 2 && i > 0) ? std::tolower(name[i])
                                                                                : std::toupper(name[i]));
        return name;
    };
    StartHandset();
    // Each PC case is loaded under another typed case and deleted under the third.
    for (size_t files = 0; files < pcNames.size(); ++files) {
        const size_t load = (files + 1) % 3;
        const std::string dir = "m" + std::to_string(files);
        for (const auto& name : pcNames[files])
            PutPcFile(dir + "/" + name, name);
        const std::string what = dir + " loaded as " + typed[load];
        EXPECT_EQ(WithoutDots(Run({"-l", (pc_ / dir).string(), typed[load]}).output),
                  Connected() + Message("Load VANT Module on the device was successful"))
            << what;
        const std::string shown = pcNames[files][0].substr(0, 5);
        EXPECT_NE(Run({"-v"}).output.find("                   " + shown + "\t"), std::string::npos)
            << what;
        EXPECT_EQ(WithoutDots(Run({"-d", inCase(shown, (load + 1) % 3)}).output),
                  Connected() + Message("Delete VANT module from the device was successful"))
            << what;
        EXPECT_TRUE(DeviceIsBare()) << what;
    }
}

// Run as a user who cannot read one of the module's subfolders: the load fails before writing.
TEST_F(ConsoleSession, UnreadableSubfolderFailsTheLoadBeforeWriting)
{
    MakeModuleDir("chess", {{"chess.mif", "i"}, {"chess.mod", "m"}, {"chess.sig", "s"},
                            {"chess.bar", "b"}, {"secret/a.txt", "a"}});
    fs::permissions(pc_ / "chess/secret", fs::perms::none);
    std::vector<std::string> command;
    if (::geteuid() == 0) {
        if (!fs::exists("/usr/bin/setpriv"))
            GTEST_SKIP() << "running as root without setpriv: no way to be an unprivileged user";
        command = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
        for (const fs::path& dir : {work_, pc_, pc_ / "chess"})
            fs::permissions(dir, fs::perms::owner_all | fs::perms::group_read |
                                     fs::perms::group_exec | fs::perms::others_read |
                                     fs::perms::others_exec);
        fs::permissions(Port(), fs::perms::all & ~(fs::perms::owner_exec | fs::perms::group_exec |
                                                     fs::perms::others_exec));
    }
    command.insert(command.end(), {VANTFERRANT_EXE, Port(), "-l", (pc_ / "chess").string(), "chess"});
    const auto result = RunProcess(command.front(), {command.begin() + 1, command.end()});
    EXPECT_EQ(WithoutDots(result.output),
              Connected() + Message("Error - Could not open file from PC") +
                  Message("Error - Could not copy module to the device"));
    EXPECT_TRUE(DeviceIsBare());
    fs::permissions(pc_ / "chess/secret", fs::perms::owner_all);
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
    for (const std::string name : {"empty.txt", ""})
        EXPECT_EQ(WithoutDots(Run({"-g", name, dir}).output),
                  Connected() + Message("Error - Could not read file from the device"));
    EXPECT_FALSE(fs::exists(dir + "/empty.txt"));
}

// The fetched file is synced before it is renamed into place and its folder after; a symbolic
// link at the destination keeps pointing at the file, which now holds the new contents.
TEST_F(ConsoleSession, FetchIsDurableAndWritesThroughALink)
{
    PutDeviceFile("big.bin", "new contents");
    PutPcFile("real/target.bin", "old");
    fs::create_directories(pc_ / "out");
    fs::create_symlink("../real/target.bin", pc_ / "out/big.bin");
    const std::string trace = (work_ / "trace").string();
    std::vector<std::string> command = {"-f", "-e", "trace=fsync,rename", "-o", trace, VANTFERRANT_EXE};
    command.insert(command.end(), {Port(), "-g", "/big.bin", (pc_ / "out").string()});
    const auto result = RunProcess("/usr/bin/strace", command, "y\n");
    if (!fs::exists(trace))
        GTEST_SKIP() << "strace cannot trace here";
    EXPECT_NE(result.output.find(Message("Operation was successful")), std::string::npos);
    EXPECT_EQ(ReadFile(pc_ / "real/target.bin"), "new contents");
    EXPECT_TRUE(fs::is_symlink(pc_ / "out/big.bin"));

    std::string calls;
    std::istringstream lines(ReadFile(trace));
    for (std::string line; std::getline(lines, line);) {
        if (line.find("fsync(") != std::string::npos && line.find("= 0") != std::string::npos)
            calls += "s";
        else if (line.find("rename(") != std::string::npos && line.find("target.bin\"") != std::string::npos)
            calls += "r";
    }
    EXPECT_NE(calls.find("srs"), std::string::npos) << calls;
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
