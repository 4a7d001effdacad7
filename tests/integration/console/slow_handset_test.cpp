// A handset that takes its time over every request gives exactly the results of a prompt one:
// the same output, the same device files, the same PC files, the same 300-entry listing. Every
// reply that reached the link was either taken by its own request or counted as stray. The
// delayed handsets mostly sleep, so all of them run at once.
#include <future>

#include "console_fixture.h"
#include "efs/efs_operations.h"

namespace {

struct Delay {
    int ms;
    int maxMs;  // above ms: a seeded random delay in the range
};

rig::BehaviourChange Slow(Delay delay)
{
    return [delay](sim::SimBehaviour& b) {
        b.replyDelay = std::chrono::milliseconds(delay.ms);
        b.replyDelayMax = std::chrono::milliseconds(delay.maxMs);
        b.replySeed = 7;
    };
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
    Files device;
    Files pc;
    int strayMiscount = 0;  // stray replies counted minus replies sent and not taken
};

// An interactive session on a handset of its own, from the device files given and a PC folder
// holding a module folder "chess" of 20 files and an empty "out" ("{pc}" in the commands).
Outcome RunSession(Delay delay, const Files& device, std::string commands)
{
    CConsoleRig console;
    PutTree(console.device_, device);
    Files pc = {{"chess/chess.mif", std::string(40, 'm')}, {"chess/chess.mod", "mod"}, {"chess/chess.sig", "sig"},
                {"chess/chess.bar", "bar"}, {"out/", ""}};
    for (int i = 0; i < 16; ++i)
        pc["chess/part" + std::to_string(i) + ".dat"] = std::string(static_cast<size_t>(100 + i), 'd');
    PutTree(console.pc_, pc);
    for (size_t at = commands.find("{pc}"); at != std::string::npos; at = commands.find("{pc}", at))
        commands.replace(at, 4, console.pc_.string());
    console.rig.Start(Slow(delay));
    const std::string log = (console.work_ / "debug.log").string();
    Outcome outcome{WithoutDots(console.Run({"-i"}, commands, {"VANTFERRANT_DEBUG_LOG=" + log}).output),
                    TreeBelow(console.device_), TreeBelow(console.pc_), 0};
    const std::string& port = console.rig.Port();
    outcome.output.replace(outcome.output.find(port), port.size(), "PORT");  // each handset has its own
    const std::string dump = ReadFile(log);
    outcome.strayMiscount = DumpFigure(dump, "-- Stray    replies") -
                            (static_cast<int>(console.rig.host->RepliesSent()) - DumpFigure(dump, "-- Replies  taken"));
    return outcome;
}

// A 300-entry folder listed in-process, one request per entry, with the product's timing.
std::pair<EfsNameList, int> ListThroughLink(Delay delay)
{
    rig::CHandsetRig handset;
    handset.Start(Slow(delay));
    for (int i = 0; i < 300; ++i)
        handset.PutDeviceFile("/many/entry_" + std::to_string(i), {});
    handset.Connect(LinkTiming{});
    EfsNameList names;
    EfsListFiles(handset.link.get(), "/many", &names);
    const auto miscount = [&] {
        const auto& stats = handset.link->Stats();
        return stats.strayReplies.load() - (static_cast<int>(handset.host->RepliesSent()) - stats.repliesTaken.load());
    };
    // Replies still on their way when the listing ended are counted once they have come.
    rig::WaitUntil(std::chrono::seconds(2), [&] { return miscount() == 0; });
    return {names, miscount()};
}

// The module load and the commands after it run on handsets of their own, the latter starting
// from the device the prompt handset's load left, so the slowest case takes half as long.
TEST(SlowHandset, GivesExactlyThePromptHandsetsResults)
{
    const std::string load = "l {pc}/chess chess\nq\n";
    const std::string use = "v\ng /chess/part3.dat {pc}/out\nd chess\nq\n";
    const Delay prompt{0, 0};
    const Delay delays[] = {{150, 0}, {250, 0}, {450, 0}, {100, 500}};

    const Outcome loaded = RunSession(prompt, {}, load);
    std::vector<std::future<Outcome>> sessions;  // a load and a use per delay
    for (const Delay delay : delays) {
        sessions.push_back(std::async(std::launch::async, RunSession, delay, Files{}, load));
        sessions.push_back(std::async(std::launch::async, RunSession, delay, loaded.device, use));
    }
    std::vector<std::future<std::pair<EfsNameList, int>>> listings;
    for (const Delay delay : {prompt, delays[1], delays[3]})
        listings.push_back(std::async(std::launch::async, ListThroughLink, delay));
    const Outcome used = RunSession(prompt, loaded.device, use);

    for (const char* done : {"Load VANT Module on the device was successful", "      chess\t",
                             "Operation was successful", "Delete VANT module from the device was successful"})
        EXPECT_NE((loaded.output + used.output).find(done), std::string::npos) << done;
    for (size_t i = 0; i < sessions.size(); ++i) {
        const Outcome slow = sessions[i].get();
        const Outcome& same = i % 2 == 0 ? loaded : used;
        const std::string what = (i % 2 == 0 ? "load at " : "use at ") + std::to_string(delays[i / 2].ms) + "-" +
                                 std::to_string(delays[i / 2].maxMs) + " ms";
        EXPECT_EQ(slow.output, same.output) << what;
        EXPECT_EQ(slow.device, same.device) << what;
        EXPECT_EQ(slow.pc, same.pc) << what;
        EXPECT_EQ(slow.strayMiscount, 0) << what;
    }
    const auto promptListing = listings[0].get();
    EXPECT_EQ(promptListing.first.size(), 300u);
    for (auto& listing : listings) {
        const auto [names, strayMiscount] = listing.valid() ? listing.get() : promptListing;
        EXPECT_EQ(names, promptListing.first);
        EXPECT_EQ(strayMiscount, 0);
    }
    EXPECT_EQ(std::pair(loaded.strayMiscount, used.strayMiscount), std::pair(0, 0));
}

}  // namespace
