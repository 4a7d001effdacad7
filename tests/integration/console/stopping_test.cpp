// Stopping a console operation with a signal, and the progress line on a terminal, against the
// real binary.
#include <algorithm>

#include "console_fixture.h"
#include "running_console.h"

namespace {

constexpr uint8_t efsRead = 4;
constexpr uint8_t efsWrite = 5;

std::string Pattern(size_t size)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
    return bytes;
}

class ConsoleStopping : public ConsoleSession {
protected:
    // Waits until the handset has heard count EFS requests of this subcommand.
    bool WaitForEfsRequests(uint8_t subcommand, size_t count)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (std::chrono::steady_clock::now() < deadline) {
            const auto log = host_->RequestLog();
            const auto heard = std::count_if(log.begin(), log.end(), [&](const auto& r) {
                return r.payload.size() > 1 && r.payload[0] == 0x59 && r.payload[1] == subcommand;
            });
            if (static_cast<size_t>(heard) >= count)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }

    void StartSlowHandset()
    {
        StartHandset([](sim::SimBehaviour& b) { b.replyDelay = std::chrono::milliseconds(10); });
    }
};

TEST_F(ConsoleStopping, InterruptedLoadRollsBackAndReportsTheStop)
{
    MakeModuleDir("chess", {{"chess.mif", "info"}, {"chess.mod", Pattern(70000)},
                            {"chess.sig", "s"}, {"chess.bar", "b"}});
    StartSlowHandset();
    CRunningConsole run({Port(), "-l", (pc_ / "chess").string(), "chess"}, false);
    // The .mif and chess.bar take one block each; then 20 blocks of chess.mod.
    ASSERT_TRUE(WaitForEfsRequests(efsWrite, 22));
    run.Signal(SIGINT);
    EXPECT_EQ(run.Wait(), 0);
    EXPECT_EQ(WithoutDots(run.output),
              Connected() + Message("User stopped load VANT module operation"));
    EXPECT_TRUE(DeviceIsBare());
}

TEST_F(ConsoleStopping, InterruptedFetchKeepsTheOldFileWhole)
{
    PutDeviceFile("big.bin", Pattern(70000));
    PutPcFile("big.bin", "old contents");
    StartSlowHandset();
    CRunningConsole run({Port(), "-g", "/big.bin", pc_.string()}, false);
    ASSERT_TRUE(WaitForEfsRequests(efsRead, 20));
    run.Signal(SIGINT);
    EXPECT_EQ(run.Wait(), 0);
    EXPECT_EQ(WithoutDots(run.output),
              Connected() + Message("User stopped copy file from device operation"));
    EXPECT_EQ(ReadFile(pc_ / "big.bin"), "old contents");
    EXPECT_EQ(std::distance(fs::directory_iterator(pc_), fs::directory_iterator()), 1);
}

TEST_F(ConsoleStopping, ASecondSignalEndsTheProcessAtOnce)
{
    PutDeviceFile("big.bin", Pattern(70000));
    StartHandset([](sim::SimBehaviour& b) { b.replyDelay = std::chrono::milliseconds(400); });
    CRunningConsole run({Port(), "-g", "/big.bin", pc_.string()}, false);
    ASSERT_TRUE(WaitForEfsRequests(efsRead, 2));
    run.Signal(SIGTERM);
    // Apart, or the two would arrive as one.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    run.Signal(SIGTERM);
    EXPECT_EQ(run.Wait(), -1);
}

TEST_F(ConsoleStopping, ProgressLineOnATerminalLeavesStandardOutputAlone)
{
    PutDeviceFile("big.bin", Pattern(70000));
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
    const std::string erase = "\r\033[K";
    ASSERT_GE(shown.errors.size(), erase.size());
    EXPECT_EQ(shown.errors.substr(shown.errors.size() - erase.size()), erase);
}

}  // namespace
