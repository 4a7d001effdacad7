// Listing the serial ports present from a file-system tree shaped like /dev/serial/by-id and
// /sys/class/tty, built in a scratch directory.
#include "ui/serial_port_list.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>

#include "scratch_directory.h"

namespace fs = std::filesystem;

namespace {

class SerialPortListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dirs.byId = scratch.Path() / "by-id";
        dirs.sysClassTty = scratch.Path() / "sys";
        dirs.dev = scratch.Path() / "dev";
        fs::create_directories(dirs.byId);
        fs::create_directories(dirs.sysClassTty);
        fs::create_directories(dirs.dev);
    }

    // A terminal entry; withDevice gives it a hardware device; uartType writes a "type" file.
    void AddTty(const std::string& name, bool withDevice, int uartType = -1)
    {
        const fs::path entry = dirs.sysClassTty / name;
        fs::create_directories(entry);
        if (withDevice)
            fs::create_directories(entry / "device");
        if (uartType >= 0)
            std::ofstream(entry / "type") << uartType << "\n";
    }

    void AddById(const std::string& name, const std::string& target)
    {
        fs::create_symlink("../../" + target, dirs.byId / name);
    }

    std::string Dev(const std::string& name) const { return (dirs.dev / name).string(); }
    std::string ById(const std::string& name) const { return (dirs.byId / name).string(); }

    CScratchDirectory scratch;
    CSerialPortDirectories dirs;
};

TEST_F(SerialPortListTest, ListsTerminalsWithHardwareByIdNamesFirstThenInNumericOrder)
{
    AddTty("tty0", false);
    AddTty("console", false);
    AddTty("ttyS10", true, 4);  // a UART answers
    AddTty("ttyS2", true, 4);
    AddTty("ttyS1", true, 0);  // no UART at this address
    AddTty("ttyACM0", true);
    AddTty("ttyUSB0", true);
    AddTty("ttyUSB1", true);
    AddById("usb-Maker_Cable_B-if00-port0", "ttyUSB1");
    AddById("usb-Maker_Cable_A-if00-port0", "ttyUSB0");
    EXPECT_EQ(ListPresentSerialPorts(dirs),
              (std::vector<std::string>{ById("usb-Maker_Cable_A-if00-port0"),
                                        ById("usb-Maker_Cable_B-if00-port0"), Dev("ttyACM0"),
                                        Dev("ttyS2"), Dev("ttyS10")}));

    CSerialPortDirectories missing;
    missing.byId = scratch.Path() / "none1";
    missing.sysClassTty = scratch.Path() / "none2";
    EXPECT_TRUE(ListPresentSerialPorts(missing).empty());
}

TEST_F(SerialPortListTest, DialogChoicesStartWithTheFixedNamesAndTheVirtualHandset)
{
    AddTty("ttyUSB0", true);
    EXPECT_EQ(PortDialogChoices(dirs), (std::vector<std::string>{"", "COM1", "COM2", "COM3",
                                                                 "COM4", "SIM", Dev("ttyUSB0")}));
}

TEST_F(SerialPortListTest, ListingNeverOpensTheDevices)
{
    // A FIFO blocks whoever opens it for reading; listing must finish regardless.
    AddTty("ttyUSB0", true);
    ASSERT_EQ(::mkfifo((dirs.dev / "ttyUSB0").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((dirs.byId / "usb-fifo").c_str(), 0600), 0);
    const auto ports = ListPresentSerialPorts(dirs);
    EXPECT_EQ(ports, (std::vector<std::string>{ById("usb-fifo"), Dev("ttyUSB0")}));
}

}  // namespace
