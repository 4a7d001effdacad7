// A handset that takes its time over every request gives exactly the results of a prompt one:
// the same output, the same device files, the same PC files. Every reply that reached the link
// was either taken by its own request or counted as stray.
#include <map>
#include <regex>

#include "console_fixture.h"

namespace {

struct SlowCase {
    const char* name;
    int delayMs;
    int delayMaxMs;  // above delayMs: a seeded random delay in the range
};

std::map<std::string, std::string> FilesBelow(const fs::path& root)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), root).string()] = std::string(std::istreambuf_iterator<char>(std::ifstream(entry.path(), std::ios::binary).rdbuf()), {});
    return files;
}

int DumpFigure(const std::string& dump, const std::string& label)
{
    std::smatch match;
    const std::regex line(label + " += +([0-9]+)");
    return std::regex_search(dump, match, line) ? std::stoi(match[1]) : -1;
}

class SlowHandset : public ConsoleSession, public ::testing::WithParamInterface<SlowCase> {
protected:
    struct Outcome {
        std::vector<std::string> outputs;
        std::map<std::string, std::string> device;
        std::map<std::string, std::string> pc;
    };

    // Loads a 20-file module, views, fetches a file and deletes the module.
    Outcome RunScript(const SlowCase* slow)
    {
        ResetDevice();
        for (int i = 0; i < 12; ++i)
            PutDeviceFile("entries/e" + std::to_string(i), std::string(static_cast<size_t>(i), 'x'));
        fs::remove_all(pc_);
        std::vector<std::pair<std::string, std::string>> files{{"chess.mif", std::string(40, 'm')}};
        for (int i = 0; i < 19; ++i)
            files.emplace_back("part" + std::to_string(i) + ".dat", std::string(static_cast<size_t>(100 + i), 'd'));
        MakeModuleDir("chess", files);
        fs::create_directories(pc_ / "out");
        host_.reset();
        StartHandset([slow](sim::SimBehaviour& b) {
            if (slow == nullptr)
                return;
            b.replyDelay = std::chrono::milliseconds(slow->delayMs);
            b.replyDelayMax = std::chrono::milliseconds(slow->delayMaxMs);
            b.replySeed = 7;
        });
        const std::string log = (work_ / "debug.log").string();
        Outcome outcome;
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"-l", (pc_ / "chess").string(), "chess"},
              {"-v"},
              {"-g", "/entries/e11", (pc_ / "out").string()},
              {"-d", "chess"}}) {
            fs::remove(log);
            const size_t sentBefore = host_->RepliesSent();
            std::vector<std::string> all{Port()};
            all.insert(all.end(), args.begin(), args.end());
            const auto result = RunProcess(VANTFERRANT_EXE, all, {}, {"VANTFERRANT_DEBUG_LOG=" + log});
            std::string output = WithoutDots(result.output);
            output.replace(output.find(Port()), Port().size(), "PORT");  // each handset has its own
            outcome.outputs.push_back(output);
            const std::string dump = ReadFile(log);
            const int taken = DumpFigure(dump, "-- Replies  taken");
            const int stray = DumpFigure(dump, "-- Stray    replies");
            EXPECT_EQ(stray, static_cast<int>(host_->RepliesSent() - sentBefore) - taken)
                << args[0] << "\n" << dump;
        }
        outcome.device = FilesBelow(device_);
        outcome.pc = FilesBelow(pc_);
        return outcome;
    }
};

TEST_P(SlowHandset, GivesExactlyThePromptHandsetsResults)
{
    const Outcome prompt = RunScript(nullptr);
    const Outcome slow = RunScript(&GetParam());
    EXPECT_EQ(slow.outputs, prompt.outputs);
    EXPECT_EQ(slow.device, prompt.device);
    EXPECT_EQ(slow.pc, prompt.pc);
}

INSTANTIATE_TEST_SUITE_P(Delays, SlowHandset,
                         ::testing::Values(SlowCase{"ms150", 150, 0}, SlowCase{"ms250", 250, 0},
                                           SlowCase{"ms450", 450, 0}, SlowCase{"jitter100to500", 100, 500}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
