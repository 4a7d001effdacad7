// The "SIM" and "SIM:DIR" port names, and the vant-handset program.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "sim/sim_port.h"
#include "support/handset_rig.h"

using namespace std::chrono_literals;
using rig::Bytes;

namespace {

constexpr auto replyWait = 3000ms;

TEST(SimPort, NamesSelectTheDemoTreeOrADirectory)
{
    for (const char* refused : {"SIMPLE", "COM1", "SIM:", "SIM:/nonexistent/vant/dir"})
        EXPECT_FALSE(StartVirtualHandset(refused).has_value()) << refused;

    // The port name opens the handset's in-process line, which carries frames both ways.
    InstallVirtualHandsetPorts();
    rig::CRawClient client;
    ASSERT_TRUE(client.Open("sim"));
    ASSERT_TRUE(client.WriteFrame({0x59, 0x0B, 0, 0, 0, 0, 0x01, 0x00}));
    const auto reply = client.ReadFrame(replyWait);
    ASSERT_TRUE(reply.has_value());
    ASSERT_GT(reply->size(), 25u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(reply->data()) + 25), "/chess.mif");
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

    rig::CRawClient client;
    ASSERT_TRUE(client.Open(path, 115200));
    ASSERT_TRUE(client.WriteFrame({0x0C}));
    const auto reply = client.ReadFrame(replyWait);
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->size(), 48u);

    ASSERT_EQ(::kill(child, SIGTERM), 0);
    int status = 0;
    pid_t done = 0;
    rig::WaitUntil(5s, [&] { return (done = ::waitpid(child, &status, WNOHANG)) != 0; });
    if (done == 0) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
        FAIL() << "vant-handset did not end on SIGTERM";
    }
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
