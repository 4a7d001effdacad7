// The console as a process: runs without a handset, the real connection wait, stop signals, the
// progress line on a terminal, the user it runs as, the calls that make a fetch durable, and
// letter case across load, view and delete.
#include <unistd.h>

#include <algorithm>
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

// Whatever the letter case of the PC files and of the typed names, however deep the module's
// folders go and whatever names in it differ only in letter case, a load followed by a delete of
// the name the listing shows, typed in another case, leaves the device as it began.
struct ModuleShape {
    Files pc;           // the module folder
    std::string typed;  // the name it is loaded as
    std::string shown;  // the name the listing shows
    std::string deletedAs;
};

TEST_F(ConsoleSession, LoadListDeleteLeavesTheDeviceAsItBegan)
{
    const auto module = [](const std::vector<std::string>& names, const Files& more = {}) {
        Files files = more;
        for (const auto& name : names)
            files[name] = name;
        return files;
    };
    std::string deep;
    for (int level = 0; level < 66; ++level)
        deep += "d/";
    const std::vector<std::string> lower = {"chess.mif", "chess.mod", "chess.sig", "chess.bar"};
    const ModuleShape shapes[] = {
        {module(lower), "CHESS", "chess", "Chess"},
        {module({"CHESS.MIF", "CHESS.MOD", "CHESS.SIG", "CHESS.BAR"}), "Chess", "CHESS", "chess"},
        {module({"Chess.Mif", "Chess.mod", "Chess.SIG", "chess.Bar"}), "chess", "Chess", "CHESS"},
        {module(lower, {{deep + "f", "the deepest"}, {"d/g", "g"}}), "chess", "chess", "chess"},
        {module(lower, {{"README", "upper case name"}, {"readme", "lower"}, {"sub/A.txt", "a"}, {"sub/a.TXT", "bb"}}),
         "chess", "chess", "chess"},
    };
    // Each run on a new handset, which answers a new process at once; its terminal's name is in
    // the output, so the expected text is made after the run.
    const auto runOnFreshHandset = [this](const std::vector<std::string>& args) {
        rig.Start();
        return WithoutDots(Run(args).output);
    };
    for (size_t i = 0; i < std::size(shapes); ++i) {
        const ModuleShape& shape = shapes[i];
        const std::string dir = (pc_ / ("m" + std::to_string(i))).string();
        PutTree(dir, shape.pc);
        const std::string what = dir + " loaded as " + shape.typed;
        std::string output = runOnFreshHandset({"-l", dir, shape.typed});
        EXPECT_EQ(output, Connected() + Message("Load VANT Module on the device was successful")) << what;
        output = runOnFreshHandset({"-v"});
        EXPECT_NE(output.find(std::string(24 - shape.shown.size(), ' ') + shape.shown + "\t"), std::string::npos) << what;
        output = runOnFreshHandset({"-d", shape.deletedAs});
        EXPECT_EQ(output, Connected() + Message("Delete VANT module from the device was successful")) << what;
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

// A SIGINT in the middle of an operation ends it the way a failure does: a load or a pending
// file rolled back, the old PC file whole, the stop's own message, exit 0, well before any
// watchdog; a rollback that a failure started runs to its end. A second signal, or one while a
// question waits for its answer, ends the process at once, and leaves nothing behind either. A
// stopped delete keeps the module listed, and a second delete finishes it; a load stopped in the
// middle of a file closes that write, so the next load works on a handset that keeps one open.
// A line that falls silent after the signal ends the process once it has been quiet for 10 s.
using Heard = std::vector<rig::Bytes>;

size_t CountOf(const Heard& heard, uint8_t subcommand, size_t from = 0)
{
    return static_cast<size_t>(std::count_if(heard.begin() + static_cast<long>(std::min(from, heard.size())), heard.end(),
                                             [&](const rig::Bytes& r) { return r.size() > 1 && r[1] == subcommand; }));
}

// Where the first write naming name went out; heard.size() when none did.
size_t WriteOf(const Heard& heard, const std::string& name)
{
    const auto at = std::find_if(heard.begin(), heard.end(), [&](const rig::Bytes& r) {
        return r.size() > 1 && r[1] == 5 && std::string(r.begin(), r.end()).find(name) != std::string::npos;
    });
    return static_cast<size_t>(at - heard.begin());
}

struct StopCase {
    const char* name;
    std::vector<std::string> args;  // after the port; $PC stands for the PC folder
    void (*handset)(sim::SimBehaviour&);
    bool (*due)(const Heard&);  // the EFS requests heard when the signals go
    int signals;
    std::vector<std::string> messages;  // empty: killed by the signal
    Files device = {};  // besides the files every row has
    bool atQuestion = false;  // the answer never comes
    std::vector<std::string> then = {};  // a second command, run after the stopped one
    std::string thenMessage = {};
    size_t requestsAfter = SIZE_MAX;  // at most this many EFS requests after the signals
    bool silentAfter = false;  // no reply comes after the signals
};

void Paced(sim::SimBehaviour& b) { b.replyDelay = std::chrono::milliseconds(10); }

Files ModuleOfFiles(size_t count)
{
    Files module{{"chess.mif", "info"}};
    for (size_t i = 0; i < count; ++i)
        module["chess/f" + std::to_string(1000 + i)] = "x";
    return module;
}

class ConsoleStop : public ConsoleSession, public ::testing::WithParamInterface<StopCase> {};

TEST_P(ConsoleStop, LeavesBothSidesAsTheyWere)
{
    const StopCase& c = GetParam();
    const auto big = rig::Pattern(70000);
    PutTree(pc_, {{"chess/chess.mif", "info"}, {"chess/chess.sig", "s"}, {"chess/chess.bar", "b"}, {"big.bin", "old"}});
    PutTree(pc_ / "many", {{"many.mif", "i"}, {"many.mod", "m"}, {"many.sig", "s"}, {"many.bar", "b"}, {"zz.bin", "z"}});
    for (int i = 0; i < 60; ++i)
        PutTree(pc_ / "many", {{"a" + std::to_string(10 + i), "a"}});
    rig::WritePcFile(pc_ / "chess/chess.mod", big);
    rig::WritePcFile(device_ / "big.bin", big);
    PutTree(device_, c.device);
    rig.Start(c.handset);
    const Files device = TreeBelow(device_);
    const Files pc = TreeBelow(pc_);
    const auto withPc = [&](const std::vector<std::string>& given) {
        std::vector<std::string> args{rig.Port()};
        for (const auto& arg : given)
            args.push_back(arg.rfind("$PC", 0) == 0 ? pc_.string() + arg.substr(3) : arg);
        return args;
    };
    CRunningProcess run(VANTFERRANT_EXE, withPc(c.args), false, {}, {}, c.atQuestion);
    EXPECT_TRUE(rig::WaitUntil(std::chrono::seconds(30), [&] { return c.due(rig.EfsRequestsSince()); }));
    if (c.atQuestion)
        std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the last block is in; the question is up
    const auto signalled = std::chrono::steady_clock::now();
    const size_t heardBefore = rig.EfsRequestsSince().size();
    for (int i = 0; i < c.signals; ++i) {
        run.Signal(SIGINT);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));  // apart, or the two arrive as one
    }
    if (GetParam().silentAfter)
        rig.Change([](sim::SimBehaviour& b) { b.silent = true; });
    const ProcessResult result = run.Wait();
    const auto took = std::chrono::steady_clock::now() - signalled;
    if (c.silentAfter) {
        EXPECT_GT(took, std::chrono::seconds(10)) << "ended before the line was quiet for 10 s";
        EXPECT_LT(took, std::chrono::seconds(25)) << "the watchdog let a hung line hold the process";
    } else {
        EXPECT_LT(took, std::chrono::seconds(5)) << "ended by the watchdog";
    }
    EXPECT_LE(rig.EfsRequestsSince().size() - heardBefore, c.requestsAfter) << "the stop was not honoured";
    EXPECT_EQ(result.exitStatus, c.messages.empty() ? -1 : 0);
    std::string expected = Connected();
    for (const auto& text : c.messages)
        expected += Message(text);
    if (!c.messages.empty()) {
        EXPECT_EQ(WithoutDots(result.output), expected);
    }
    EXPECT_EQ(TreeBelow(pc_), pc);
    if (c.silentAfter)  // a hung line leaves the handset as it was when it hung
        return;
    if (c.then.empty()) {
        EXPECT_EQ(TreeBelow(device_), device);
        return;
    }
    // A stopped delete: the .mif and part of the folder are left, and the module is still listed.
    rig.Change([](sim::SimBehaviour& b) { b.replyDelay = {}; });
    const Files left = TreeBelow(device_);
    if (c.args.front() == "-d") {
        EXPECT_EQ(left.count("chess.mif"), 1u);
        EXPECT_LT(left.size(), device.size());
        for (const auto& [name, contents] : left)
            EXPECT_EQ(device.count(name), 1u) << name;
        EXPECT_NE(Run({"-v"}).output.find("                   chess\t"), std::string::npos);
    } else {
        EXPECT_EQ(left, device);
    }
    EXPECT_EQ(WithoutDots(RunProcess(VANTFERRANT_EXE, withPc(c.then)).output), Connected() + Message(c.thenMessage));
}

const std::string stoppedLoad = "User stopped load VANT module operation";

INSTANTIATE_TEST_SUITE_P(
    Operations, ConsoleStop,
    ::testing::Values(
        StopCase{"Load", {"-l", "$PC/chess", "chess"}, Paced, [](const Heard& h) { return h.size() >= 30; }, 1, {stoppedLoad}},
        StopCase{"Fetch", {"-g", "/big.bin", "$PC"}, Paced, [](const Heard& h) { return h.size() >= 20; }, 1,
                 {"User stopped copy file from device operation"}},
        StopCase{"SecondSignal", {"-g", "/big.bin", "$PC"}, [](sim::SimBehaviour& b) { b.replyDelay = std::chrono::milliseconds(400); },
                 [](const Heard& h) { return h.size() >= 2; }, 2, {}},
        StopCase{"AtTheQuestion", {"-g", "/big.bin", "$PC"}, [](sim::SimBehaviour&) {},
                 [](const Heard& h) { return h.size() >= 274; }, 1, {}, {}, true},
        // After the fifth of 200 removals.
        StopCase{"Delete", {"-d", "chess"}, Paced, [](const Heard& h) { return CountOf(h, 6) >= 5; }, 1,
                 {"User stopped delete operation"}, ModuleOfFiles(200), false, {"-d", "chess"},
                 "Delete VANT module from the device was successful", 5},
        // The size check after the .mif lists a root of 150 files at 20 ms a request.
        StopCase{"SizeCheckAfterMif", {"-l", "$PC/chess", "chess"},
                 [](sim::SimBehaviour& b) { b.replyDelay = std::chrono::milliseconds(20); },
                 [](const Heard& h) { return CountOf(h, 11, WriteOf(h, "chess.mif")) >= 2; }, 1, {stoppedLoad},
                 [] {
                     Files root;
                     for (int i = 0; i < 150; ++i)
                         root["file" + std::to_string(100 + i)] = "r";
                     return root;
                 }(),
                 false, {}, {}, 20},
        // The rollback that a refused write started runs to its end (without a used figure, so no
        // size check lists the folder after every file).
        StopCase{"DuringRollback", {"-l", "$PC/many", "many"},
                 [](sim::SimBehaviour& b) {
                     b.replyDelay = std::chrono::milliseconds(10), b.failingPaths = {"/many/zz.bin"}, b.usedFigureZero = true;
                 },
                 [](const Heard& h) { return h.size() >= WriteOf(h, "zz.bin") + 8 && WriteOf(h, "zz.bin") < h.size(); }, 1,
                 {"Error - Could not copy file to the device:\n/many/zz.bin", "Error - Could not copy module to the device"}},
        // Over an old pending file, on a handset that stores blocks as they come.
        StopCase{"Pending", {"-p", "$PC/chess/chess.mod"},
                 [](sim::SimBehaviour& b) { b.replyDelay = std::chrono::milliseconds(10), b.writesInPlace = true; },
                 [](const Heard& h) { return CountOf(h, 5) >= 20; }, 1, {"User stopped copy file to device operation"},
                 {{"pending", std::string(900, 'o')}}},
        StopCase{"LoadOnAStrictHandset", {"-l", "$PC/chess", "chess"},
                 [](sim::SimBehaviour& b) { b.replyDelay = std::chrono::milliseconds(10), b.strictWrites = true; },
                 [](const Heard& h) { return h.size() >= 30; }, 1, {stoppedLoad}, {}, false, {"-l", "$PC/chess", "chess"},
                 "Load VANT Module on the device was successful"},
        // The line falls silent after the signal: the rollback cannot advance.
        StopCase{"HungLineEnds", {"-l", "$PC/chess", "chess"}, Paced, [](const Heard& h) { return h.size() >= 30; }, 1,
                 {}, {}, false, {}, {}, SIZE_MAX, true}),
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
