// The serial port on a pseudo-terminal whose master side the test holds: line settings, reads,
// cancel, hang-up, virtual ports, and the exclusive claim on the terminal.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "platform/debug_sink.h"
#include "platform/serial_port.h"
#include "platform/virtual_ports.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

struct Pty {
    Pty()
    {
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        EXPECT_TRUE(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
        slave = ::ptsname(master);
    }
    ~Pty() { Hangup(); }
    void Hangup()
    {
        if (master >= 0)
            ::close(master);
        master = -1;
    }
    termios Settings() const
    {
        termios settings{};
        EXPECT_EQ(::tcgetattr(master, &settings), 0);
        return settings;
    }
    int master = -1;
    std::string slave;
};

// Opens a port on a fresh pty at 38400 baud.
struct Opened : Pty {
    Opened() { EXPECT_TRUE(port.Open(slave, 38400)) << port.LastError(); }
    CSerialPort port;
    CSyncEvent cancel{EventReset::manual};
    uint8_t buffer[64] = {};
};

TEST(SerialPort, OpensRaw8N1WithoutFlowControlAtTheGivenRate)
{
    Opened pty;
    termios settings = pty.Settings();
    EXPECT_EQ(cfgetospeed(&settings), B38400);
    EXPECT_EQ(cfgetispeed(&settings), B38400);
    EXPECT_EQ(settings.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS | CLOCAL | CREAD),
              static_cast<tcflag_t>(CS8 | CLOCAL | CREAD));
    EXPECT_EQ(settings.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP), 0u);
    EXPECT_EQ(settings.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(settings.c_oflag & OPOST, 0u);
    for (const auto& [baud, accepted, speed] :
         {std::tuple{115200u, true, B115200}, {19200u, true, B19200}, {9600u, false, B19200}}) {
        EXPECT_EQ(pty.port.SetBaud(baud), accepted) << baud;
        settings = pty.Settings();
        EXPECT_EQ(cfgetospeed(&settings), speed) << baud;
    }
}

TEST(SerialPort, ReadTimesOutThenReturnsWhatArrivesCancelAndHangUpEndItAtOnce)
{
    Opened pty;
    auto start = Clock::now();
    EXPECT_EQ(pty.port.Read(pty.buffer, sizeof pty.buffer, 60, pty.cancel).result, PortIoResult::timedOut);
    EXPECT_GE(Clock::now() - start, 60ms);

    std::thread writer([&] { EXPECT_EQ(::write(pty.master, "\1\2\3\4\5", 5), 5); });
    size_t got = 0;
    while (got < 5) {
        const PortReadResult read = pty.port.Read(pty.buffer + got, sizeof pty.buffer - got, 2000, pty.cancel);
        ASSERT_EQ(read.result, PortIoResult::ok);
        got += read.bytes;
    }
    writer.join();
    EXPECT_EQ(std::string(pty.buffer, pty.buffer + 5), "\1\2\3\4\5");

    start = Clock::now();
    PortReadResult read;
    std::thread reader([&] { read = pty.port.Read(pty.buffer, sizeof pty.buffer, 30000, pty.cancel); });
    pty.cancel.Set();
    reader.join();
    EXPECT_EQ(read.result, PortIoResult::cancelled);
    pty.cancel.Reset();

    pty.Hangup();
    EXPECT_EQ(pty.port.Read(pty.buffer, sizeof pty.buffer, 30000, pty.cancel).result, PortIoResult::hungUp);
    EXPECT_EQ(pty.port.Write(pty.buffer, 1, 1000, pty.cancel), 0u);
    EXPECT_LT(Clock::now() - start, 1s);
}

TEST(SerialPort, VirtualPortIsOpenedThroughItsLeaseAndKeptAliveUntilClose)
{
    Pty pty;
    static std::weak_ptr<int> watch;
    RegisterVirtualPortProvider([path = pty.slave](const std::string& name) -> std::optional<VirtualPortLease> {
        if (name != "VTEST")
            return std::nullopt;
        auto server = std::make_shared<int>(1);
        watch = server;
        return VirtualPortLease{path, server};
    });
    CSerialPort port;
    ASSERT_TRUE(port.Open("VTEST", 38400));
    EXPECT_EQ(port.DevicePath(), pty.slave);
    EXPECT_FALSE(watch.expired());
    port.Close();
    EXPECT_TRUE(watch.expired());
}

// Runs check in a child that has become the unprivileged user nobody; true when it returns true.
bool AsNobody(const std::function<bool()>& check)
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(::setgid(65534) == 0 && ::setuid(65534) == 0 && check() ? 0 : 1);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool NobodyOpens(const std::string& path)
{
    return AsNobody([&] { return ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK) >= 0; });
}

TEST(SerialPortAccess, AFailedSecondOpenKeepsTheClaimAndPermissionDeniedHintsAtDialout)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to try the port as another user";
    Opened pty;
    ASSERT_EQ(::chmod(pty.slave.c_str(), 0666), 0);
    EXPECT_FALSE(NobodyOpens(pty.slave));
    CSerialPort intruder;  // root passes the exclusive mode; the lock stops it
    EXPECT_FALSE(intruder.Open(pty.slave, 38400));
    EXPECT_EQ(intruder.LastFailure(), PortOpenFailure::inUse);
    EXPECT_FALSE(NobodyOpens(pty.slave)) << "the failed open cleared the claim";
    pty.port.Close();
    EXPECT_TRUE(NobodyOpens(pty.slave));

    ASSERT_EQ(::chmod(pty.slave.c_str(), 0600), 0);
    EXPECT_TRUE(AsNobody([&] {
        std::string lines;
        SetDebugSink([&](const std::string& text) { lines += text; });
        CSerialPort port;
        return !port.Open(pty.slave, 38400) && port.LastFailure() == PortOpenFailure::permissionDenied &&
               lines.find("dialout") != std::string::npos && lines.find(pty.slave) != std::string::npos;
    }));
}

}  // namespace
