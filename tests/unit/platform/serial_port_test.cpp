// The serial port on a pseudo-terminal whose master side the test holds: the line settings and
// the exclusive claim on the terminal. Reads, cancel and hang-up are proven by the link's tests.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <functional>

#include "platform/debug_sink.h"
#include "platform/serial_port.h"

namespace {

// A fresh pty with the port open on it at 38400 baud.
struct Pty {
    Pty()
    {
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        EXPECT_TRUE(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
        slave = ::ptsname(master);
        EXPECT_TRUE(port.Open(slave, 38400)) << port.LastError();
    }
    ~Pty() { ::close(master); }
    termios Settings() const
    {
        termios settings{};
        EXPECT_EQ(::tcgetattr(master, &settings), 0);
        return settings;
    }
    int master = -1;
    std::string slave;
    CSerialPort port;
};

TEST(SerialPort, OpensRaw8N1WithoutFlowControlAtTheGivenRate)
{
    Pty pty;
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
    Pty pty;
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
