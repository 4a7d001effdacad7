// The configuration file: reading with defaults, writing without disturbing other lines, and
// where the file lives.
#include "ui/profile_file.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <fstream>
#include <sstream>

#include "scratch_directory.h"

namespace {

std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteAll(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

TEST(ProfileFile, ReadsNamesWithoutRegardToCaseTrimmedElseTheDefault)
{
    CScratchDirectory scratch;
    const auto path = scratch.Path() / "VANTFerrant.INI";
    const std::pair<const char*, const char*> cases[] = {
        {"", "COM1"},  // no file
        {"[Other]\nPortName=COM7\n[PTA]\nBaud=9\n", "COM1"},
        {"; comment\r\n[pta]\r\n  portname =  COM3  \r\n", "COM3"},
        {"[PTA]\nPortName=\"/dev/ttyUSB0\"\n", "/dev/ttyUSB0"},
    };
    for (const auto& [text, expected] : cases) {
        if (*text)
            WriteAll(path, text);
        EXPECT_EQ(CProfileFile(path).ReadString("PTA", "PortName", "COM1"), expected) << text;
    }
}

TEST(ProfileFile, WriteCreatesDirectoryFileAndSection)
{
    CScratchDirectory scratch;
    const auto path = scratch.Path() / "new" / "VANTFerrant.INI";
    CProfileFile file(path);
    ASSERT_TRUE(file.WriteString("PTA", "PortName", "COM3"));
    EXPECT_EQ(ReadAll(path), "[PTA]\nPortName=COM3\n");
    EXPECT_EQ(file.ReadString("PTA", "PortName", "COM1"), "COM3");
}

TEST(ProfileFile, WriteReplacesTheKeyOrAddsItAtTheEndOfItsSectionKeepingEveryOtherLine)
{
    CScratchDirectory scratch;
    const auto path = scratch.Path() / "VANTFerrant.INI";
    WriteAll(path, "; kept\n[Other]\nPortName=COM9\n\n[PTA]\nBaud=2\nPORTNAME=COM1\n[Last]\nx=1\n");
    ASSERT_TRUE(CProfileFile(path).WriteString("PTA", "PortName", "SIM"));
    EXPECT_EQ(ReadAll(path),
              "; kept\n[Other]\nPortName=COM9\n\n[PTA]\nBaud=2\nPortName=SIM\n[Last]\nx=1\n");

    WriteAll(path, "[PTA]\nBaud=2\n\n[Last]\nx=1\n");
    ASSERT_TRUE(CProfileFile(path).WriteString("PTA", "PortName", "COM2"));
    EXPECT_EQ(ReadAll(path), "[PTA]\nBaud=2\nPortName=COM2\n\n[Last]\nx=1\n");
}

TEST(ProfileFile, RefusesValuesThatWouldAddLines)
{
    CScratchDirectory scratch;
    const auto path = scratch.Path() / "VANTFerrant.INI";
    WriteAll(path, "[PTA]\nPortName=COM2\n");
    CProfileFile file(path);
    EXPECT_FALSE(file.WriteString("PTA", "PortName", "COM1\n[Evil]"));
    EXPECT_FALSE(file.WriteString("PTA", "PortName", std::string("COM1\0x", 6)));
    EXPECT_EQ(ReadAll(path), "[PTA]\nPortName=COM2\n");
}

TEST(ProfileFile, LongPortNamesSurviveTheRoundTrip)
{
    // Stable serial names are far longer than 31 characters; cutting them would name no port.
    CScratchDirectory scratch;
    CProfileFile file(scratch.Path() / "VANTFerrant.INI");
    const std::string name = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
    ASSERT_TRUE(file.WriteString("PTA", "PortName", name));
    EXPECT_EQ(file.ReadString("PTA", "PortName", "COM1"), name);
}

TEST(ProfileFile, FailedWriteLeavesTheOldFile)
{
    CScratchDirectory scratch;
    const auto path = scratch.Path() / "VANTFerrant.INI";
    WriteAll(path, "[PTA]\nPortName=COM2\n");

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
    EXPECT_EQ(ReadAll(path), "[PTA]\nPortName=COM2\n");
    // The temporary file is gone too.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(ConfigurationFilePath, FollowsXdgConfigHomeThenHome)
{
    CScratchConfigHome config;
    EXPECT_EQ(ConfigurationFilePath(), config.IniFile());

    // A relative XDG_CONFIG_HOME is not valid and falls back to ~/.config.
    ::setenv("XDG_CONFIG_HOME", "relative/dir", 1);
    const std::string oldHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    ::setenv("HOME", config.Path().c_str(), 1);
    EXPECT_EQ(ConfigurationFilePath(), config.Path() / ".config" / "VANTFerrant.INI");
    ::setenv("HOME", oldHome.c_str(), 1);
}

}  // namespace
