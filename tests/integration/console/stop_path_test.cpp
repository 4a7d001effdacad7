// The console's stop path in one process, on every system: the system's stop signal (SIGINT,
// or Ctrl-C through the console control handler) during a module load ends the load the way a
// failure does, rolled back on the virtual handset; and the watchdog behind it waits while the
// link advances but not once it has fallen quiet.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#endif

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "console/console_commands.h"
#include "console/stop_watchdog.h"
#include "link/diag_port.h"
#include "modules/transfer_progress.h"
#include "platform/stop_request.h"
#include "report/app_messages.h"
#include "sim/sim_port.h"
#include "support/scratch.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// What the user does to stop: Ctrl-C on Windows, SIGINT elsewhere.
void PressControlC()
{
#ifdef _WIN32
    // A process started without a console (a pipe, a service) gets one to receive the event.
    DWORD mode = 0;
    if (!::GetConsoleMode(::GetStdHandle(STD_INPUT_HANDLE), &mode))
        ::AllocConsole();
    EXPECT_TRUE(::GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0)) << ::GetLastError();
#else
    std::raise(SIGINT);
#endif
}

template <typename Condition>
bool WaitUntil(std::chrono::milliseconds timeout, Condition condition)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

void WriteFile(const fs::path& file, size_t size)
{
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    for (size_t i = 0; i < size; ++i)
        out.put(static_cast<char>(i * 7));
}

TEST(StopPath, ControlCDuringALoadRollsItBack)
{
    rig::CScratch pc;
    rig::CScratch device;
    for (const char* name : {"chess.mif", "chess.sig", "chess.bar"})
        WriteFile(pc.Path() / "chess" / name, 40);
    WriteFile(pc.Path() / "chess" / "chess.mod", 200000);

    InstallVirtualHandsetPorts();
    CDiagPort port;
    ASSERT_EQ(port.CreateEvents(), linkStatusOk);
    ASSERT_EQ(port.OpenPort("SIM:" + device.Path().string()), linkStatusOk);
    ASSERT_TRUE(WaitUntil(20s, [&] { return port.GetPhoneStatus() == phoneStatusReady; }));

    // Halfway through the module file the user presses Ctrl-C.
    std::atomic<bool> pressed{false};
    SetTransferProgressHandler([&](const std::string&, uint64_t done, uint64_t total) {
        if (done * 2 >= total && done < total && !pressed.exchange(true)) {
            PressControlC();
            // Windows delivers it on a thread of its own: the next block waits for it.
            EXPECT_TRUE(WaitUntil(5s, [] { return StopRequested(); }));
        }
    });
    const AppMessage result = LoadModuleCommand(&port, (pc.Path() / "chess").string(), "chess");
    SetTransferProgressHandler({});
    EXPECT_TRUE(pressed.load());
    EXPECT_EQ(result, msgLoadStopped);
    EXPECT_FALSE(fs::exists(device.Path() / "chess")) << "the load was not rolled back";
}

struct WatchdogCase {
    const char* name;
    std::chrono::milliseconds advancing;  // how long the link completes requests after the arming
    bool ends;                            // within the time the case waits after that
};

class StopWatchdog : public ::testing::TestWithParam<WatchdogCase> {};

TEST_P(StopWatchdog, EndsOnlyAfterTheLinkFallsQuiet)
{
    constexpr auto quiet = 300ms;
    std::atomic<bool> armed{false};
    std::atomic<bool> ended{false};
    {
        CStopWatchdog watchdog([&] { return armed.load(); }, [&] { ended = true; }, quiet, 20ms);
        armed = true;
        const auto until = std::chrono::steady_clock::now() + GetParam().advancing;
        while (std::chrono::steady_clock::now() < until) {
            NoteLinkProgress();  // a rollback that still completes requests
            std::this_thread::sleep_for(quiet / 4);
        }
        EXPECT_FALSE(ended.load()) << "cut short while the link advanced";
        EXPECT_EQ(WaitUntil(quiet * 4, [&] { return ended.load(); }), GetParam().ends);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StopWatchdog,
    ::testing::Values(WatchdogCase{"QuietLineAtOnce", 0ms, true},
                      WatchdogCase{"AdvancingLongerThanTheQuietTime", 1500ms, true}),
    [](const auto& each) { return std::string(each.param.name); });

}  // namespace
