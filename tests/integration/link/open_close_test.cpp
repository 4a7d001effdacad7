#include <gtest/gtest.h>

#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "link_fixture.h"
#include "platform/debug_sink.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A profile whose polling thread stays quiet, so nothing is sent unless a test sends it.
LinkTiming QuietTiming()
{
    LinkTiming timing = FastTiming();
    timing.pollPeriodMs = 600000;
    timing.firstPollMs = 600000;
    return timing;
}

size_t ThreadCount()
{
    size_t count = 0;
    for ([[maybe_unused]] const auto& task : std::filesystem::directory_iterator("/proc/self/task"))
        ++count;
    return count;
}

struct DebugCapture {
    std::mutex lock;
    std::string captured;
    DebugCapture()
    {
        SetDebugSink([this](const std::string& text) { std::lock_guard g(lock); captured += text; });
    }
    ~DebugCapture() { SetDebugSink(nullptr); }
    std::string Text() { std::lock_guard g(lock); return captured; }
};

TEST(LinkOpen, Sets38400Raw8N1WithoutFlowControlAndReadsNothingBeforeTheFirstCommand)
{
    LinkUnderTest t(QuietTiming());
    ASSERT_EQ(t.Open(), linkStatusOk);
    EXPECT_TRUE(t.link->IsRunning());
    termios settings{};
    ASSERT_EQ(tcgetattr(t.pty.MasterFd(), &settings), 0);
    EXPECT_EQ(cfgetospeed(&settings), B38400);
    EXPECT_EQ(settings.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(settings.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(settings.c_iflag & (IXON | IXOFF), 0u);

    // The receive thread stays idle until a command applies the first setting.
    t.peer->Send(Frame({0x10, 0x01}));
    std::this_thread::sleep_for(150ms);  // an absence can only be shown over some time
    EXPECT_EQ(t.link->Stats().bytesReceived.load(), 0);
    EXPECT_EQ(t.link->Stats().bytesSent.load(), 0);
    EXPECT_EQ(t.peer->RequestCount(), 0u);

    Bytes reply;
    ASSERT_EQ(t.Send({0x0C}, 2000, &reply, cmdTypeProbe, linkDiagLow), linkStatusOk);
    EXPECT_EQ(reply[0], 0x0C);
    // The bytes that waited in the terminal are read with the reply.
    EXPECT_TRUE(WaitUntil([&] { return t.link->Stats().bytesReceived.load() > 48; }, 2s));
}

TEST(LinkOpen, EmptyMissingAndNonTerminalNamesFailWithoutThreads)
{
    char dir[] = "/tmp/vant-link-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string plainFile = std::string(dir) + "/plain";
    { std::FILE* f = std::fopen(plainFile.c_str(), "w"); ASSERT_NE(f, nullptr); std::fclose(f); }

    for (const std::string& name : {std::string(), std::string(dir) + "/missing", plainFile,
                                   std::string(300, 'x')}) {
        CDiagPort link(QuietTiming());
        CTraceRecorder traces;
        link.SetTraceListener(traces.Listener());
        ASSERT_EQ(link.CreateEvents(), linkStatusOk);
        const size_t threadsBefore = ThreadCount();
        EXPECT_EQ(link.OpenPort(name), linkStatusFail) << name;
        EXPECT_FALSE(link.IsRunning());
        EXPECT_EQ(ThreadCount(), threadsBefore);
        std::string portName = "unchanged";
        ASSERT_EQ(link.GetPortName(&portName), linkStatusOk);
        if (name.empty()) {
            EXPECT_EQ(portName, "");
            EXPECT_EQ(traces.Text(), "Need a port name to open a port\n");
        } else {
            EXPECT_EQ(traces.Count("Failed to open the Port "), 1u);
        }
        int16_t length = 4;
        uint8_t buffer[4];
        const uint8_t request = 0x0C;
        EXPECT_EQ(link.SendSync(1, &request, cmdTypeProbe, linkDiagLow, 100, &length, buffer),
                  linkStatusFail);
    }
    std::filesystem::remove_all(dir);
}

TEST(LinkOpen, ASecondOpenOfTheSamePortFailsUntilTheFirstLinkIsGone)
{
    CPtyPair pty;
    auto first = std::make_unique<CDiagPort>(QuietTiming());
    ASSERT_EQ(first->CreateEvents(), linkStatusOk);
    ASSERT_EQ(first->OpenPort(pty.SlavePath()), linkStatusOk);
    {
        CDiagPort second(QuietTiming());
        ASSERT_EQ(second.CreateEvents(), linkStatusOk);
        EXPECT_EQ(second.OpenPort(pty.SlavePath()), linkStatusFail);
    }
    EXPECT_EQ(first->OpenPort(pty.SlavePath()), linkStatusFail) << "a link opens only once";
    first.reset();
    CDiagPort third(QuietTiming());
    ASSERT_EQ(third.CreateEvents(), linkStatusOk);
    EXPECT_EQ(third.OpenPort(pty.SlavePath()), linkStatusOk);
}

TEST(LinkClose, DestroyingStopsEveryThreadPromptlyWithAReadPendingAndACommandOnTheWire)
{
    CPtyPair pty;
    // The peer swallows requests: the command stays on the wire, the read stays pending.
    CScriptedPeer peer(pty, [](const PeerRequest&) { return Bytes(); });
    LinkTiming timing = QuietTiming();
    timing.probeReplyMs = 30000;
    timing.probeCallMs = 30000;
    auto link = std::make_unique<CDiagPort>(timing);
    ASSERT_EQ(link->CreateEvents(), linkStatusOk);
    ASSERT_EQ(link->OpenPort(pty.SlavePath()), linkStatusOk);
    LinkStatus senderResult = linkStatusOk;
    std::thread sender([&] {
        const uint8_t request = 0x0C;
        int16_t length = 64;
        uint8_t reply[64];
        senderResult = link->SendSync(1, &request, cmdTypeProbe, linkDiagLow, 30000, &length, reply);
    });
    ASSERT_TRUE(peer.WaitForRequests(1, 5s));

    const auto start = Clock::now();
    EXPECT_EQ(link->ClosePort(), linkStatusOk);
    EXPECT_LT(Clock::now() - start, 1s);
    sender.join();
    EXPECT_EQ(senderResult, linkStatusTimeout);
    link.reset();

    // The port is closed: it opens again.
    CDiagPort again(QuietTiming());
    ASSERT_EQ(again.CreateEvents(), linkStatusOk);
    EXPECT_EQ(again.OpenPort(pty.SlavePath()), linkStatusOk);
}

TEST(LinkClose, DestroyWritesTheStatisticsDumpWithSixteenCodesToALine)
{
    DebugCapture debug;
    {
        LinkUnderTest t(QuietTiming());
        ASSERT_EQ(t.Open(), linkStatusOk);
        for (int i = 0; i < 20; ++i)
            ASSERT_EQ(t.Send({0x0C}, 2000, nullptr, cmdTypeProbe, linkDiagLow), linkStatusOk);
        EXPECT_EQ(debug.Text(), "");
    }
    const std::string dump = debug.Text();
    EXPECT_EQ(dump.rfind("\n\nDumping Stats for the port -->\n", 0), 0u) << dump;
    EXPECT_NE(dump.find("-- Total Bytes Sent   =     80\n"), std::string::npos) << dump;
    EXPECT_NE(dump.find("-- Polling  packets   =    20\n"), std::string::npos);
    EXPECT_NE(dump.find("-- Diag     packets   =     0\n"), std::string::npos);
    std::string codes = "\n000: 12";
    for (int i = 1; i < 16; ++i)
        codes += "  12";
    codes += "\n016: 12  12  12  12\n\nEnd dump...\n\n";
    EXPECT_NE(dump.find(codes), std::string::npos) << dump;
}

TEST(LinkClose, AHungUpPeerNeitherSpinsNorKeepsTheStatusReady)
{
    LinkUnderTest t;
    ASSERT_TRUE(t.OpenReady());
    t.peer.reset();  // the handset goes first, then its end of the line
    t.pty.CloseMaster();
    ASSERT_TRUE(WaitUntil([&] { return t.link->GetPhoneStatus() == phoneStatusNone; }, 10s));

    const auto cpuBefore = std::clock();
    const auto wallBefore = Clock::now();
    std::this_thread::sleep_for(500ms);  // measuring idle cost needs an interval
    const double cpu = static_cast<double>(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
    const double wall = std::chrono::duration<double>(Clock::now() - wallBefore).count();
    EXPECT_LT(cpu / wall, 0.25) << "link threads spin on a dead port";
    EXPECT_EQ(t.Send({0x59, 0x0C}, 200), linkStatusPhoneNotReady);
}

}  // namespace
