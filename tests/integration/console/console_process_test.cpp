// The console as a process: runs without a handset, the real connection wait, stop signals, the
// progress line on a terminal, the user it runs as, the calls that make a fetch durable, and
// letter case across load, view and delete.
#include <unistd.h>

#include <csignal>
#include <regex>
#include <sstream>

#include "console_fixture.h"

namespace {

TEST(ConsoleWithoutHandset, PrintsPortErrorWithoutDots)
{
    EXPECT_EQ(RunProcess(VANTFERRANT_EXE, {"/dev/vant-no-such-port", "-v"}).output,
              bannerText + Message("Error - Could not open the specified port"));
}

TEST_F(ConsoleSession, SilentHandsetGetsTwentyFiveDotsThenNoDevice)
{
    rig.Start([](sim::SimBehaviour& b) { b.silent = true; });
    EXPECT_EQ(Run({"-v"}).output, bannerText + "Establishing communication with the phone on port " + rig.Port() +
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
        rig.Start();  // a new handset answers a new process at once
        return Run(args);
    };
    for (size_t files = 0; files < pcNames.size(); ++files) {
        const std::string dir = (pc_ / ("m" + std::to_string(files))).string();
        for (const auto& name : pcNames[files])
            PutTree(dir, {{name, name}});
        const std::string what = dir + " loaded as " + typed[(files + 1) % 3];
        // Each run starts a new handset on a new terminal: run first, then name its port.
        const std::string loaded = WithoutDots(runOnFreshHandset({"-l", dir, typed[(files + 1) % 3]}).output);
        EXPECT_EQ(loaded, Connected() + Message("Load VANT Module on the device was successful")) << what;
        const std::string shown = pcNames[files][0].substr(0, 5);
        EXPECT_NE(runOnFreshHandset({"-v"}).output.find("                   " + shown + "\t"), std::string::npos) << what;
        const std::string deleted = WithoutDots(runOnFreshHandset({"-d", typed[(files + 2) % 3]}).output);
        EXPECT_EQ(deleted, Connected() + Message("Delete VANT module from the device was successful")) << what;
        EXPECT_EQ(TreeBelow(device_), Files{}) << what;
    }
}

// Run as a user who cannot read one of the module's subfolders: the load fails before writing.
TEST_F(ConsoleSession, UnreadableSubfolderFailsTheLoadBeforeWriting)
{
    PutTree(pc_ / "chess", {{"chess.mif", "i"}, {"chess.mod", "m"}, {"chess.sig", "s"}, {"chess.bar", "b"},
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
        fs::permissions(rig.Port(), fs::perms::all & ~(fs::perms::owner_exec | fs::perms::group_exec |
                                                         fs::perms::others_exec));
    }
    command.insert(command.end(), {VANTFERRANT_EXE, rig.Port(), "-l", (pc_ / "chess").string(), "chess"});
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
    PutTree(device_, {{"big.bin", "new contents"}});
    PutTree(pc_, {{"real/target.bin", "old"}, {"out/", ""}});
    fs::create_symlink("../real/target.bin", pc_ / "out/big.bin");
    const std::string trace = (work_ / "trace").string();
    const auto result = RunProcess("/usr/bin/strace", {"-f", "-e", "trace=fsync,rename", "-o", trace, VANTFERRANT_EXE,
                                                       rig.Port(), "-g", "/big.bin", (pc_ / "out").string()},
                                   "y\n");
    if (!fs::exists(trace))
        GTEST_SKIP() << "strace cannot trace here";
    EXPECT_NE(result.output.find(Message("Operation was successful")), std::string::npos);
    EXPECT_EQ(rig::ReadText(pc_ / "real/target.bin"), "new contents");
    EXPECT_TRUE(fs::is_symlink(pc_ / "out/big.bin"));
    std::string calls;
    std::istringstream lines(rig::ReadText(trace));
    for (std::string line; std::getline(lines, line);) {
        if (line.find("fsync(") != std::string::npos && line.find("= 0") != std::string::npos)
            calls += "s";
        else if (line.find("rename(") != std::string::npos && line.find("target.bin\"") != std::string::npos)
            calls += "r";
    }
    EXPECT_NE(calls.find("srs"), std::string::npos) << calls;
}

// A SIGINT in the middle of a transfer ends it the way a failure does: a load rolled back, the
// old PC file whole, the stop's own message, exit 0. A second signal, or one while a question
// waits for its answer, ends the process at once, and leaves nothing behind either. A line that
// falls silent after the signal ends the process once it has been quiet for 10 s.
struct StopCase {
    const char* name;
    std::vector<std::string> args;  // after the port; $PC stands for the PC folder
    int replyDelayMs;
    size_t requests;  // EFS requests heard before the signals
    int signals;
    std::string message;  // empty: killed by the signal
    bool atQuestion = false;  // the answer never comes
    bool silentAfter = false;  // no reply comes after the signals
};

class ConsoleStop : public ConsoleSession, public ::testing::WithParamInterface<StopCase> {};

TEST_P(ConsoleStop, LeavesBothSidesAsTheyWere)
{
    const auto big = rig::Pattern(70000);
    PutTree(pc_, {{"chess/chess.mif", "info"}, {"chess/chess.sig", "s"}, {"chess/chess.bar", "b"}, {"big.bin", "old"}});
    rig::WritePcFile(pc_ / "chess/chess.mod", big);
    rig::WritePcFile(device_ / "big.bin", big);
    rig.Start([delay = GetParam().replyDelayMs](sim::SimBehaviour& b) { b.replyDelay = std::chrono::milliseconds(delay); });
    const Files device = TreeBelow(device_);
    const Files pc = TreeBelow(pc_);
    std::vector<std::string> args{rig.Port()};
    for (const auto& arg : GetParam().args)
        args.push_back(arg.rfind("$PC", 0) == 0 ? pc_.string() + arg.substr(3) : arg);
    CRunningProcess run(VANTFERRANT_EXE, args, false, {}, {}, GetParam().atQuestion);
    EXPECT_TRUE(rig::WaitUntil(std::chrono::seconds(30), [&] { return rig.EfsRequestsSince().size() >= GetParam().requests; }));
    if (GetParam().atQuestion)
        std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the last block is in; the question is up
    const auto signalled = std::chrono::steady_clock::now();
    for (int i = 0; i < GetParam().signals; ++i) {
        run.Signal(SIGINT);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));  // apart, or the two arrive as one
    }
    if (GetParam().silentAfter)
        rig.Change([](sim::SimBehaviour& b) { b.silent = true; });
    const ProcessResult result = run.Wait();
    const auto took = std::chrono::steady_clock::now() - signalled;
    if (GetParam().silentAfter) {
        EXPECT_GT(took, std::chrono::seconds(10)) << "ended before the line was quiet for 10 s";
        EXPECT_LT(took, std::chrono::seconds(25)) << "the watchdog let a hung line hold the process";
    } else {
        EXPECT_LT(took, std::chrono::seconds(5)) << "ended by the watchdog";
    }
    EXPECT_EQ(result.exitStatus, GetParam().message.empty() ? -1 : 0);
    if (!GetParam().message.empty()) {
        EXPECT_EQ(WithoutDots(result.output), Connected() + Message(GetParam().message));
    }
    if (!GetParam().silentAfter)  // a hung line leaves the handset as it was when it hung
        EXPECT_EQ(TreeBelow(device_), device);
    EXPECT_EQ(TreeBelow(pc_), pc);
}

INSTANTIATE_TEST_SUITE_P(
    Transfers, ConsoleStop,
    ::testing::Values(StopCase{"Load", {"-l", "$PC/chess", "chess"}, 10, 30, 1, "User stopped load VANT module operation"},
                      StopCase{"Fetch", {"-g", "/big.bin", "$PC"}, 10, 20, 1, "User stopped copy file from device operation"},
                      StopCase{"SecondSignal", {"-g", "/big.bin", "$PC"}, 400, 2, 2, ""},
                      StopCase{"AtTheQuestion", {"-g", "/big.bin", "$PC"}, 0, 274, 1, "", true},
                      StopCase{"HungLineEnds", {"-l", "$PC/chess", "chess"}, 10, 30, 1, "", false, true}),
    [](const auto& each) { return std::string(each.param.name); });

// With standard output and error on one terminal, the progress line starts on a line of its own
// below "Please wait ..." and is erased when its file is complete, or before the message of a
// copy cut off halfway: without the line's own text, the terminal shows what a pipe gets.
TEST_F(ConsoleSession, ProgressLineOnATerminalIsErasedBeforeAnyMessage)
{
    rig::WritePcFile(device_ / "big.bin", rig::Pattern(70000));
    const std::vector<std::string> fetch{rig.Port(), "-g", "/big.bin", pc_.string()};
    const std::string quiet = CRunningProcess(VANTFERRANT_EXE, fetch).Wait().output;
    EXPECT_EQ(WithoutDots(quiet), Connected() + Message("Operation was successful"));
    const auto withoutLine = [](const std::string& transcript) {
        const std::string lines = std::regex_replace(transcript, std::regex("\r\n"), "\n");
        EXPECT_NE(lines.find("  256 of 70000 bytes  0%  "), std::string::npos) << lines;
        return std::regex_replace(lines, std::regex("\n(\r\033\\[K[^\r\n]*)+\r\033\\[K"), "");
    };
    fs::remove(pc_ / "big.bin");
    EXPECT_EQ(WithoutDots(withoutLine(CRunningProcess(VANTFERRANT_EXE, fetch, true).Wait().output)), WithoutDots(quiet));

    PutTree(pc_ / "chess", {{"chess.mif", "i"}, {"chess.sig", "s"}, {"chess.bar", "b"}});
    rig::WritePcFile(pc_ / "chess/chess.mod", rig::Pattern(70000));
    rig.Change([](sim::SimBehaviour& b) { b.replyDelay = std::chrono::milliseconds(10); });
    const size_t heard = rig.EfsRequestsSince().size();
    const std::string failed = Connected() + Message("Error - Could not copy file to the device:\n/chess/chess.mod") +
                               Message("Error - Could not copy module to the device");
    CRunningProcess cut(VANTFERRANT_EXE, {rig.Port(), "-l", (pc_ / "chess").string(), "chess"}, true);
    EXPECT_TRUE(rig::WaitUntil(std::chrono::seconds(30), [&] { return rig.EfsRequestsSince().size() >= heard + 40; }));
    rig.Unplug();
    EXPECT_EQ(WithoutDots(withoutLine(cut.Wait().output)), failed);
}

}  // namespace
