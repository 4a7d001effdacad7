// The console as a process: runs without a handset, the real connection wait, stop signals, the
// progress line on a terminal, the user it runs as, the calls that make a fetch durable, and
// letter case across load, view and delete.
#include <unistd.h>

#include <csignal>
#include <sstream>

#include "console_fixture.h"
#include "running_console.h"

namespace {

TEST(ConsoleWithoutHandset, PrintsUsageOrPortErrorWithoutDots)
{
    const std::vector<std::vector<std::string>> usage = {
        {"COM1"}, {"/nonexistent/port", "x"}, std::vector<std::string>(32, "x"), {"COM1", "-v", std::string(128, 'a')}};
    for (const auto& args : usage) {
        const auto result = RunProcess(VANTFERRANT_EXE, args);
        EXPECT_EQ(result.output, bannerText + UsageText()) << args.size();
        EXPECT_EQ(result.errors, "");
        EXPECT_EQ(result.exitStatus, 0);
    }
    EXPECT_EQ(RunProcess(VANTFERRANT_EXE, {"/dev/vant-no-such-port", "-v"}).output,
              bannerText + Message("Error - Could not open the specified port"));
}

TEST_F(ConsoleSession, SilentHandsetGetsTwentyFiveDotsThenNoDevice)
{
    StartHandset([](sim::SimBehaviour& b) { b.silent = true; });
    EXPECT_EQ(Run({"-v"}).output, bannerText + "Establishing communication with the phone on port " + Port() +
                                      std::string(25, '.') + "\n" +
                                      Message("Error - Could not detect any device on the specified port"));
}

// Whatever the letter case of the PC files and of the typed names, a load followed by a delete
// of the name the listing shows, typed in another case, leaves the device as it began.
TEST_F(ConsoleSession, LoadListDeleteIgnoresLetterCase)
{
    const std::vector<std::vector<std::string>> pcNames = {{"chess.mif", "chess.mod", "chess.sig", "chess.bar"},
                                                           {"CHESS.MIF", "CHESS.MOD", "CHESS.SIG", "CHESS.BAR"},
                                                           {"Chess.Mif", "Chess.mod", "Chess.SIG", "chess.Bar"}};
    const std::vector<std::string> typed = {"chess", "CHESS", "Chess"};
    const auto runOnFreshHandset = [this](const std::vector<std::string>& args) {
        StartHandset();  // a new handset answers a new process at once
        return Run(args);
    };
    for (size_t files = 0; files < pcNames.size(); ++files) {
        const std::string dir = (pc_ / ("m" + std::to_string(files))).string();
        for (const auto& name : pcNames[files])
            PutFile(dir + "/" + name, name);
        const std::string what = dir + " loaded as " + typed[(files + 1) % 3];
        EXPECT_EQ(WithoutDots(runOnFreshHandset({"-l", dir, typed[(files + 1) % 3]}).output),
                  Connected() + Message("Load VANT Module on the device was successful"))
            << what;
        const std::string shown = pcNames[files][0].substr(0, 5);
        EXPECT_NE(runOnFreshHandset({"-v"}).output.find("                   " + shown + "\t"), std::string::npos) << what;
        EXPECT_EQ(WithoutDots(runOnFreshHandset({"-d", typed[(files + 2) % 3]}).output),
                  Connected() + Message("Delete VANT module from the device was successful"))
            << what;
        EXPECT_EQ(TreeBelow(device_), Files{}) << what;
    }
}

// Run as a user who cannot read one of the module's subfolders: the load fails before writing.
TEST_F(ConsoleSession, UnreadableSubfolderFailsTheLoadBeforeWriting)
{
    MakeModuleDir("chess", {{"chess.mif", "i"}, {"chess.mod", "m"}, {"chess.sig", "s"}, {"chess.bar", "b"},
                            {"secret/a.txt", "a"}});
    fs::permissions(pc_ / "chess/secret", fs::perms::none);
    std::vector<std::string> command;
    if (::geteuid() == 0) {
        if (!fs::exists("/usr/bin/setpriv"))
            GTEST_SKIP() << "running as root without setpriv: no way to be an unprivileged user";
        command = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
        for (const fs::path& dir : {work_, pc_, pc_ / "chess"})
            fs::permissions(dir, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                     fs::perms::others_read | fs::perms::others_exec);
        fs::permissions(Port(), fs::perms::all & ~(fs::perms::owner_exec | fs::perms::group_exec |
                                                     fs::perms::others_exec));
    }
    command.insert(command.end(), {VANTFERRANT_EXE, Port(), "-l", (pc_ / "chess").string(), "chess"});
    const auto result = RunProcess(command.front(), {command.begin() + 1, command.end()});
    EXPECT_EQ(WithoutDots(result.output), Connected() + Message("Error - Could not open file from PC") +
                                              Message("Error - Could not copy module to the device"));
    EXPECT_EQ(TreeBelow(device_), Files{});
    fs::permissions(pc_ / "chess/secret", fs::perms::owner_all);
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
    const auto result = RunProcess("/usr/bin/strace", {"-f", "-e", "trace=fsync,rename", "-o", trace, VANTFERRANT_EXE,
                                                       Port(), "-g", "/big.bin", (pc_ / "out").string()},
                                   "y\n");
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

// A SIGINT in the middle of a transfer ends it the way a failure does: a load rolled back, the
// old PC file whole; the stop has its own message.
struct StopCase {
    const char* name;
    std::vector<std::string> args;  // after the port
    size_t requests;                // EFS requests heard before the signal
    std::string message;
};

class ConsoleStop : public ConsoleSession, public ::testing::WithParamInterface<StopCase> {};

TEST_P(ConsoleStop, LeavesBothSidesAsTheyWere)
{
    const auto big = rig::Pattern(70000);
    MakeModuleDir("chess", {{"chess.mif", "info"}, {"chess.sig", "s"}, {"chess.bar", "b"}});
    rig::WritePcFile(pc_ / "chess/chess.mod", big);
    rig::WritePcFile(device_ / "big.bin", big);
    PutPcFile("big.bin", "old contents");
    StartHandset([](sim::SimBehaviour& b) { b.replyDelay = std::chrono::milliseconds(10); });
    const Files device = TreeBelow(device_);
    const Files pc = TreeBelow(pc_);
    std::vector<std::string> args{Port()};
    for (const auto& arg : GetParam().args)
        args.push_back(arg.rfind("$PC", 0) == 0 ? pc_.string() + arg.substr(3) : arg);
    CRunningConsole run(args, false);
    EXPECT_TRUE(rig::WaitUntil(std::chrono::seconds(30), [&] { return rig.EfsRequestsSince().size() >= GetParam().requests; }));
    run.Signal(SIGINT);
    EXPECT_EQ(run.Wait(), 0);
    EXPECT_EQ(WithoutDots(run.output), Connected() + Message(GetParam().message));
    EXPECT_EQ(TreeBelow(device_), device);
    EXPECT_EQ(TreeBelow(pc_), pc);
}

INSTANTIATE_TEST_SUITE_P(Transfers, ConsoleStop,
                         ::testing::Values(StopCase{"Load", {"-l", "$PC/chess", "chess"}, 30,
                                                    "User stopped load VANT module operation"},
                                           StopCase{"Fetch", {"-g", "/big.bin", "$PC"}, 20,
                                                    "User stopped copy file from device operation"}),
                         [](const auto& each) { return std::string(each.param.name); });

TEST_F(ConsoleSession, ASecondSignalEndsTheProcessAtOnce)
{
    rig::WritePcFile(device_ / "big.bin", rig::Pattern(70000));
    StartHandset([](sim::SimBehaviour& b) { b.replyDelay = std::chrono::milliseconds(400); });
    CRunningConsole run({Port(), "-g", "/big.bin", pc_.string()}, false);
    ASSERT_TRUE(rig::WaitUntil(std::chrono::seconds(30), [&] { return rig.EfsRequestsSince().size() >= 2; }));
    run.Signal(SIGTERM);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // apart, or the two arrive as one
    run.Signal(SIGTERM);
    EXPECT_EQ(run.Wait(), -1);
}

TEST_F(ConsoleSession, ProgressLineOnATerminalLeavesStandardOutputAlone)
{
    rig::WritePcFile(device_ / "big.bin", rig::Pattern(70000));
    CRunningConsole quiet({Port(), "-g", "/big.bin", pc_.string()}, false);
    EXPECT_EQ(quiet.Wait(), 0);
    fs::remove(pc_ / "big.bin");
    CRunningConsole shown({Port(), "-g", "/big.bin", pc_.string()}, true);
    EXPECT_EQ(shown.Wait(), 0);

    EXPECT_EQ(WithoutDots(shown.output), WithoutDots(quiet.output));
    EXPECT_EQ(WithoutDots(shown.output), Connected() + Message("Operation was successful"));
    EXPECT_EQ(quiet.errors, "");
    EXPECT_EQ(shown.errors.rfind("\r\033[Kbig.bin  ", 0), 0u) << shown.errors;
    EXPECT_NE(shown.errors.find(" of 70000 bytes  "), std::string::npos) << shown.errors;
    ASSERT_GE(shown.errors.size(), 4u);
    EXPECT_EQ(shown.errors.substr(shown.errors.size() - 4), "\r\033[K");
}

}  // namespace
