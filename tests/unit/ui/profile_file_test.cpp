// The configuration file: reading with defaults, writing without disturbing other lines, and a
// failed write leaving the old file.
#include "ui/profile_file.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <fstream>

#include "support/scratch.h"

namespace {

class ProfileFile : public ::testing::Test {
protected:
    void Write(const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
    std::string Read() const { return rig::ReadText(path); }

    rig::CScratch scratch;
    const std::filesystem::path path = scratch.Path() / "VANTFerrant.INI";
};

TEST_F(ProfileFile, ReadsWithoutRegardToCaseTrimmedAndWritesKeepingEveryOtherLine)
{
    // {file before ("" for none), PortName read from it, file after writing PortName=SIM}
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"", "COM9", "[PTA]\nPortName=SIM\n"},
        {"[Other]\nPortName=COM7\n[PTA]\nBaud=9\n", "COM9", "[Other]\nPortName=COM7\n[PTA]\nBaud=9\nPortName=SIM\n"},
        {"; comment\r\n[pta]\r\n  portname =  COM3  \r\n", "COM3", "; comment\r\n[pta]\r\nPortName=SIM\n"},
        {"[PTA]\nPortName=\"/dev/ttyUSB0\"\n", "/dev/ttyUSB0", "[PTA]\nPortName=SIM\n"},
        {"; kept\n[Other]\nPortName=COM9\n\n[PTA]\nBaud=2\nPORTNAME=COM1\n[Last]\nx=1\n", "COM1",
         "; kept\n[Other]\nPortName=COM9\n\n[PTA]\nBaud=2\nPortName=SIM\n[Last]\nx=1\n"},
        {"[PTA]\nBaud=2\n\n[Last]\nx=1\n", "COM9", "[PTA]\nBaud=2\nPortName=SIM\n\n[Last]\nx=1\n"},
    };
    for (const auto& [before, read, after] : cases) {
        std::filesystem::remove(path);
        if (*before)
            Write(before);
        EXPECT_EQ(CProfileFile(path).ReadString("PTA", "PortName", "COM9"), read) << before;
        ASSERT_TRUE(CProfileFile(path).WriteString("PTA", "PortName", "SIM"));
        EXPECT_EQ(Read(), after);
    }
    // A new folder is made; stable serial names far longer than 31 characters survive whole.
    const std::string name = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
    CProfileFile deeper(scratch.Path() / "new" / "VANTFerrant.INI");
    ASSERT_TRUE(deeper.WriteString("PTA", "PortName", name));
    EXPECT_EQ(deeper.ReadString("PTA", "PortName", "COM1"), name);
}

TEST_F(ProfileFile, RefusedOrFailedWritesLeaveTheOldFile)
{
    Write("[PTA]\nPortName=COM2\n");
    EXPECT_FALSE(CProfileFile(path).WriteString("PTA", "PortName", "COM1\n[Evil]"));
    EXPECT_FALSE(CProfileFile(path).WriteString("PTA", "PortName", std::string("COM1\0x", 6)));
    // A file-size limit below the new content makes the write fail whatever the user's rights.
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit tiny = old;
    tiny.rlim_cur = 8;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tiny), 0);
    const bool written = CProfileFile(path).WriteString("PTA", "PortName", "COM4");
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(written);
    EXPECT_EQ(Read(), "[PTA]\nPortName=COM2\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch.Path()), {}), 1);  // no temporary
}

}  // namespace
