#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>

#include "platform/debug_sink.h"
#include "platform/serial_port.h"
#include "platform/virtual_ports.h"
#include "support/pty_pair.h"

namespace {

using Clock = std::chrono::steady_clock;
using rig::Bytes;
using rig::CPtyPair;
using namespace std::chrono_literals;

void WriteMaster(CPtyPair& pty, const Bytes& bytes)
{
    ASSERT_EQ(write(pty.MasterFd(), bytes.data(), bytes.size()),
              static_cast<ssize_t>(bytes.size()));
}

TEST(SerialPort, OpensRaw8N1WithoutFlowControlAtTheGivenRate)
{
    CPtyPair pty;
    CSerialPort port;
    ASSERT_TRUE(port.Open(pty.SlavePath(), 38400)) << port.LastError();
    termios settings{};
    ASSERT_EQ(tcgetattr(pty.MasterFd(), &settings), 0);
    EXPECT_EQ(cfgetospeed(&settings), B38400);
    EXPECT_EQ(cfgetispeed(&settings), B38400);
    EXPECT_EQ(settings.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(settings.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(settings.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(settings.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP), 0u);
    EXPECT_EQ(settings.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(settings.c_oflag & OPOST, 0u);

    ASSERT_TRUE(port.SetBaud(115200));
    EXPECT_EQ(pty.Baud(), 115200u);
    ASSERT_TRUE(port.SetBaud(19200));
    EXPECT_EQ(pty.Baud(), 19200u);
    EXPECT_FALSE(port.SetBaud(9600));
    EXPECT_EQ(pty.Baud(), 19200u);
}

TEST(SerialPort, ReadWaitsForTheFirstByteThenReturnsWhatIsBuffered)
{
    CPtyPair pty;
    CSerialPort port;
    ASSERT_TRUE(port.Open(pty.SlavePath(), 38400));
    CSyncEvent cancel(EventReset::manual);
    uint8_t buffer[64] = {};

    const auto start = Clock::now();
    EXPECT_EQ(port.Read(buffer, sizeof buffer, 60, cancel).result, PortIoResult::timedOut);
    EXPECT_GE(Clock::now() - start, 60ms);

    std::thread writer([&] { WriteMaster(pty, {1, 2, 3, 4, 5}); });
    size_t got = 0;
    while (got < 5) {
        const PortReadResult read = port.Read(buffer + got, sizeof buffer - got, 2000, cancel);
        ASSERT_EQ(read.result, PortIoResult::ok);
        got += read.bytes;
    }
    writer.join();
    EXPECT_EQ(Bytes(buffer, buffer + 5), (Bytes{1, 2, 3, 4, 5}));
}

TEST(SerialPort, CancelEndsAPendingReadAtOnce)
{
    CPtyPair pty;
    CSerialPort port;
    ASSERT_TRUE(port.Open(pty.SlavePath(), 38400));
    CSyncEvent cancel(EventReset::manual);
    uint8_t buffer[16];
    PortReadResult read;
    const auto start = Clock::now();
    std::thread reader([&] { read = port.Read(buffer, sizeof buffer, 30000, cancel); });
    cancel.Set();
    reader.join();
    EXPECT_EQ(read.result, PortIoResult::cancelled);
    EXPECT_LT(Clock::now() - start, 1s);
}

TEST(SerialPort, HangUpIsReportedAtOnceAndWritesFail)
{
    CPtyPair pty;
    CSerialPort port;
    ASSERT_TRUE(port.Open(pty.SlavePath(), 38400));
    CSyncEvent cancel(EventReset::manual);
    pty.CloseMaster();
    uint8_t buffer[16];
    const auto start = Clock::now();
    EXPECT_EQ(port.Read(buffer, sizeof buffer, 30000, cancel).result, PortIoResult::hungUp);
    EXPECT_LT(Clock::now() - start, 1s);
    const uint8_t byte = 0x0C;
    EXPECT_EQ(port.Write(&byte, 1, 1000, cancel), 0u);
}

TEST(SerialPort, VirtualPortIsOpenedThroughItsLeaseAndKeptAliveUntilClose)
{
    CPtyPair pty;
    static std::weak_ptr<int> watch;
    RegisterVirtualPortProvider([path = pty.SlavePath()](const std::string& name)
                                -> std::optional<VirtualPortLease> {
        if (name != "VTEST")
            return std::nullopt;
        auto server = std::make_shared<int>(1);
        watch = server;
        return VirtualPortLease{path, server};
    });
    CSerialPort port;
    ASSERT_TRUE(port.Open("VTEST", 38400));
    EXPECT_EQ(port.DevicePath(), pty.SlavePath());
    EXPECT_FALSE(watch.expired());
    port.Close();
    EXPECT_TRUE(watch.expired());
}

}  // namespace

namespace {

// errno of an open of path by an unprivileged user (nobody), or 0 when it succeeds.
int OpenErrorAsNobody(const std::string& path)
{
    const pid_t child = fork();
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(255);
        const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        _exit(fd >= 0 ? 0 : errno);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 255;
}

TEST(SerialPortAccess, AFailedSecondOpenLeavesTheFirstProgramsClaimInPlace)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to let another user try the port";
    CPtyPair pty;
    ASSERT_EQ(chmod(pty.SlavePath().c_str(), 0666), 0);
    CSerialPort holder;
    ASSERT_TRUE(holder.Open(pty.SlavePath(), 38400));
    EXPECT_EQ(OpenErrorAsNobody(pty.SlavePath()), EBUSY);

    CSerialPort intruder;  // root passes TIOCEXCL; the lock stops it
    EXPECT_FALSE(intruder.Open(pty.SlavePath(), 38400));
    EXPECT_EQ(intruder.LastFailure(), PortOpenFailure::inUse);
    EXPECT_EQ(OpenErrorAsNobody(pty.SlavePath()), EBUSY) << "the failed open cleared the claim";

    holder.Close();
    EXPECT_EQ(OpenErrorAsNobody(pty.SlavePath()), 0);
}

TEST(SerialPortAccess, PermissionDeniedIsNamedAndHintsAtTheDialoutGroup)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to open the port as another user";
    CPtyPair pty;
    ASSERT_EQ(chmod(pty.SlavePath().c_str(), 0600), 0);
    const pid_t child = fork();
    if (child == 0) {
        std::string lines;
        SetDebugSink([&](const std::string& text) { lines += text; });
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(2);
        CSerialPort port;
        const bool opened = port.Open(pty.SlavePath(), 38400);
        const bool named = port.LastFailure() == PortOpenFailure::permissionDenied;
        const bool hinted = lines.find("dialout") != std::string::npos &&
                            lines.find(pty.SlavePath()) != std::string::npos;
        _exit(!opened && named && hinted ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
