// A handset that takes its time over every request gives exactly the results of a prompt one:
// the same output, the same device files, the same PC files, the same 300-entry listing. Every
// reply that reached the link was either taken by its own request or counted as stray. The
// delayed handsets mostly sleep, so all of them run at once.
#include <future>
#include <map>
#include <thread>

#include "console_fixture.h"
#include "efs/efs_operations.h"
#include "link/diag_port.h"
#include "sim/device_path.h"
#include "sim/memory_file_system.h"

namespace {

using std::chrono::milliseconds;

struct Delay {
    int ms;
    int maxMs;  // above ms: a seeded random delay in the range
};

void Slow(sim::SimBehaviour& b, Delay delay)
{
    b.replyDelay = milliseconds(delay.ms);
    b.replyDelayMax = milliseconds(delay.maxMs);
    b.replySeed = 7;
}

std::map<std::string, std::string> FilesBelow(const fs::path& root)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), root).string()] = std::string(std::istreambuf_iterator<char>(std::ifstream(entry.path(), std::ios::binary).rdbuf()), {});
    return files;
}

// The figure after "label = " in the statistics dump, -1 when the line is missing.
int DumpFigure(const std::string& dump, const std::string& label)
{
    const size_t at = dump.find(label);
    const size_t equals = at == std::string::npos ? at : dump.find('=', at);
    return equals == std::string::npos ? -1 : std::atoi(dump.c_str() + equals + 1);
}

struct Outcome {
    std::string output;
    std::map<std::string, std::string> device;
    std::map<std::string, std::string> pc;
    int strayMiscount = 0;  // stray replies counted minus replies sent and not taken
};

// One handset with its own device and PC folders (a module folder "chess" of 20 files and an
// empty "out"), driven by one interactive session.
class ConsoleRig : public ConsoleSession {
public:
    ConsoleRig(Delay delay, const std::map<std::string, std::string>& deviceFiles) : delay_(delay)
    {
        SetUp();
        for (const auto& [path, contents] : deviceFiles)
            PutDeviceFile(path, contents);
        std::vector<std::pair<std::string, std::string>> files{
            {"chess.mif", std::string(40, 'm')}, {"chess.mod", "mod"}, {"chess.sig", "sig"}, {"chess.bar", "bar"}};
        for (int i = 0; i < 16; ++i)
            files.emplace_back("part" + std::to_string(i) + ".dat", std::string(static_cast<size_t>(100 + i), 'd'));
        MakeModuleDir("chess", files);
        fs::create_directories(pc_ / "out");
    }
    ~ConsoleRig() override { TearDown(); }
    void TestBody() override {}

    // Runs the commands, "{pc}" in them standing for the PC folder.
    Outcome Run(std::string commands)
    {
        for (size_t at = commands.find("{pc}"); at != std::string::npos; at = commands.find("{pc}", at))
            commands.replace(at, 4, pc_.string());
        StartHandset([this](sim::SimBehaviour& b) { Slow(b, delay_); });
        const std::string log = (work_ / "debug.log").string();
        const auto result = RunProcess(VANTFERRANT_EXE, {Port(), "-i"}, commands, {"VANTFERRANT_DEBUG_LOG=" + log});
        Outcome outcome;
        outcome.output = WithoutDots(result.output);
        outcome.output.replace(outcome.output.find(Port()), Port().size(), "PORT");  // each handset has its own
        const std::string dump = ReadFile(log);
        outcome.strayMiscount = DumpFigure(dump, "-- Stray    replies") -
                                (static_cast<int>(host_->RepliesSent()) - DumpFigure(dump, "-- Replies  taken"));
        outcome.device = FilesBelow(device_);
        outcome.pc = FilesBelow(pc_);
        return outcome;
    }

private:
    Delay delay_;
};

struct Listing {
    std::vector<std::string> names;
    int strayMiscount = 0;
};

// A 300-entry folder listed in-process, one request per entry, over the product's timing.
Listing ListThroughLink(Delay delay)
{
    sim::SimBehaviour behaviour;
    Slow(behaviour, delay);
    auto files = std::make_unique<sim::CMemoryFileSystem>();
    files->MakeDir(*sim::ParseDevicePath("/many"));
    for (int i = 0; i < 300; ++i)
        files->WriteFile(*sim::ParseDevicePath("/many/entry_" + std::to_string(i)), {}, {});
    auto host = sim::CHandsetHost::Start(std::make_unique<sim::CHandsetModel>(std::move(files), behaviour));
    Listing listing;
    CDiagPort port{LinkTiming{}};
    if (!host || port.CreateEvents() != linkStatusOk || port.OpenPort(host->SlavePath()) != linkStatusOk ||
        !port.WaitForPhone([&] { return port.GetPhoneStatus() == phoneStatusReady; }, 25, {}, 500))
        return {{"no handset"}, 0};
    EfsListFiles(&port, "/many", &listing.names);
    // Replies still on their way when the listing ended are counted once they have come.
    const auto settled = [&] {
        listing.strayMiscount = port.Stats().strayReplies.load() -
                                (static_cast<int>(host->RepliesSent()) - port.Stats().repliesTaken.load());
        return listing.strayMiscount == 0;
    };
    for (int i = 0; i < 40 && !settled(); ++i)
        std::this_thread::sleep_for(milliseconds(50));
    return listing;
}

std::string Label(Delay delay)
{
    return std::to_string(delay.ms) + (delay.maxMs > delay.ms ? "-" + std::to_string(delay.maxMs) : "") + " ms";
}

void ExpectSame(const Outcome& slow, const Outcome& prompt, const std::string& what)
{
    EXPECT_EQ(slow.output, prompt.output) << what;
    EXPECT_EQ(slow.device, prompt.device) << what;
    EXPECT_EQ(slow.pc, prompt.pc) << what;
    EXPECT_EQ(slow.strayMiscount, 0) << what;
}

// The module load and the commands after it run on handsets of their own, the latter starting
// from the device the prompt handset's load left, so the slowest case takes half as long.
TEST(SlowHandset, GivesExactlyThePromptHandsetsResults)
{
    const std::string load = "l {pc}/chess chess\nq\n";
    const std::string use = "v\ng /chess/part3.dat {pc}/out\nd chess\nq\n";
    const Delay prompt{0, 0};
    const Delay delays[] = {{150, 0}, {250, 0}, {450, 0}, {100, 500}};
    const Delay listingDelays[] = {{250, 0}, {100, 500}};

    ConsoleRig promptLoad(prompt, {});
    const Outcome loaded = promptLoad.Run(load);
    EXPECT_NE(loaded.output.find("Load VANT Module on the device was successful"), std::string::npos);
    EXPECT_EQ(loaded.strayMiscount, 0);

    std::vector<std::unique_ptr<ConsoleRig>> rigs;
    std::vector<std::future<Outcome>> sessions;  // the prompt use, then a load and a use per delay
    const auto start = [&](Delay delay, const std::map<std::string, std::string>& device, const std::string& commands) {
        rigs.push_back(std::make_unique<ConsoleRig>(delay, device));
        sessions.push_back(std::async(std::launch::async, &ConsoleRig::Run, rigs.back().get(), commands));
    };
    start(prompt, loaded.device, use);
    for (const Delay delay : delays) {
        start(delay, {}, load);
        start(delay, loaded.device, use);
    }
    std::vector<std::future<Listing>> listings;
    for (const Delay delay : {prompt, listingDelays[0], listingDelays[1]})
        listings.push_back(std::async(std::launch::async, ListThroughLink, delay));

    const Outcome used = sessions[0].get();
    for (const char* done : {"      chess\t", "Operation was successful", "Delete VANT module from the device was successful"})
        EXPECT_NE(used.output.find(done), std::string::npos) << done;
    EXPECT_EQ(used.strayMiscount, 0);
    for (size_t i = 0; i < std::size(delays); ++i) {
        ExpectSame(sessions[1 + 2 * i].get(), loaded, "load at " + Label(delays[i]));
        ExpectSame(sessions[2 + 2 * i].get(), used, "view, fetch and delete at " + Label(delays[i]));
    }
    const Listing promptListing = listings[0].get();
    EXPECT_EQ(promptListing.names.size(), 300u);
    for (size_t i = 1; i < listings.size(); ++i) {
        const Listing slow = listings[i].get();
        EXPECT_EQ(slow.names, promptListing.names) << Label(listingDelays[i - 1]);
        EXPECT_EQ(slow.strayMiscount, 0) << Label(listingDelays[i - 1]);
    }
}

}  // namespace
