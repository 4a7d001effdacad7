// The "SIM" and "SIM:DIR" port names, and the vant-handset program.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/virtual_ports.h"
#include "pty_client.h"
#include "sim/handset_host.h"
#include "sim/sim_port.h"

using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

namespace {

constexpr auto replyWait = 3000ms;

fs::path MakeTempDir()
{
    std::string pattern = (fs::temp_directory_path() / "vant-simport-XXXXXX").string();
    return ::mkdtemp(pattern.data()) != nullptr ? fs::path(pattern) : fs::path();
}

Bytes WriteSmallFile(const std::string& name, const std::string& text)
{
    Bytes out{0x59, 0x05, 0x00, 0x00, 0x01};
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(text.size() >> (8 * i)));
    out.insert(out.end(), {0xFF, 0x00, 0x01, 0x00, static_cast<uint8_t>(name.size() + 1)});
    out.insert(out.end(), name.begin(), name.end());
    out.insert(out.end(), {0x00, static_cast<uint8_t>(text.size()), 0x00});
    out.insert(out.end(), text.begin(), text.end());
    return out;
}

TEST(SimPort, NamesSelectTheDemoTreeOrADirectory)
{
    EXPECT_EQ(StartVirtualHandset("SIMPLE"), nullptr);
    EXPECT_EQ(StartVirtualHandset("COM1"), nullptr);
    EXPECT_EQ(StartVirtualHandset("SIM:"), nullptr);
    EXPECT_EQ(StartVirtualHandset("SIM:/nonexistent/vant/dir"), nullptr);

    auto demo = StartVirtualHandset("sim");
    ASSERT_NE(demo, nullptr);
    simtest::CPtyClient client;
    ASSERT_TRUE(client.Open(demo->SlavePath()));
    ASSERT_TRUE(client.WriteFrame({0x59, 0x0B, 0, 0, 0, 0, 0x01, 0x00}));
    const auto reply = client.ReadFrame(replyWait);
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(reply->data()) + 25), "/chess.mif");
}

TEST(SimPort, LeaseServesTheDirectoryAndEndsWithIt)
{
    const fs::path dir = MakeTempDir();
    ASSERT_FALSE(dir.empty());
    InstallVirtualHandsetPorts();
    auto lease = AcquireVirtualPort("SIM:" + dir.string());
    ASSERT_TRUE(lease.has_value());
    std::weak_ptr<void> alive = lease->keepAlive;
    {
        simtest::CPtyClient client;
        ASSERT_TRUE(client.Open(lease->devicePath));
        ASSERT_TRUE(client.WriteFrame(WriteSmallFile("/hello.txt", "hello")));
        const auto reply = client.ReadFrame(replyWait);
        ASSERT_TRUE(reply.has_value());
        EXPECT_EQ(*reply, (Bytes{0x59, 0x05, 0x00}));
    }
    std::ifstream in(dir / "hello.txt", std::ios::binary);
    std::string content(16, '\0');
    in.read(content.data(), static_cast<std::streamsize>(content.size()));
    content.resize(static_cast<size_t>(in.gcount()));
    EXPECT_EQ(content, "hello");
    lease.reset();
    EXPECT_TRUE(alive.expired()) << "the handset ends with its lease";
    EXPECT_FALSE(AcquireVirtualPort("/dev/ttyS0").has_value());
    fs::remove_all(dir);
}

TEST(VantHandset, PrintsItsPortServesItAndEndsOnSigterm)
{
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        ::close(out[1]);
        ::execl(VANT_HANDSET_EXE, VANT_HANDSET_EXE, "--speeds", "115200", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(out[1]);
    std::string path;
    char c = 0;
    while (::read(out[0], &c, 1) == 1 && c != '\n')
        path.push_back(c);
    ::close(out[0]);
    ASSERT_EQ(path.rfind("/dev/", 0), 0u) << path;

    simtest::CPtyClient client;
    ASSERT_TRUE(client.Open(path));
    ASSERT_TRUE(client.SetSpeed(115200));
    ASSERT_TRUE(client.WriteFrame({0x0C}));
    const auto reply = client.ReadFrame(replyWait);
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->size(), 48u);

    ASSERT_EQ(::kill(child, SIGTERM), 0);
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    pid_t done = 0;
    while ((done = ::waitpid(child, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < deadline) {
        pollfd none{-1, 0, 0};
        ::poll(&none, 0, 10);  // brief pause between checks of the child
    }
    if (done == 0) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
        FAIL() << "vant-handset did not end on SIGTERM";
    }
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
