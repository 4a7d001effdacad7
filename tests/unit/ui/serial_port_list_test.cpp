// Listing the serial ports present from a scratch tree shaped like /dev/serial/by-id and
// /sys/class/tty.
#include "ui/serial_port_list.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>

#include "support/scratch.h"

namespace fs = std::filesystem;

namespace {

class SerialPortList : public ::testing::Test {
protected:
    void SetUp() override
    {
        dirs = {scratch.Path() / "by-id", scratch.Path() / "sys", scratch.Path() / "dev"};
        for (const fs::path& folder : {dirs.byId, dirs.sysClassTty, dirs.dev})
            fs::create_directories(folder);
    }

    // A terminal entry; withDevice gives it a hardware device; uartType writes a "type" file.
    void AddTty(const std::string& name, bool withDevice, int uartType = -1)
    {
        fs::create_directories(dirs.sysClassTty / name / (withDevice ? "device" : ""));
        if (uartType >= 0)
            std::ofstream(dirs.sysClassTty / name / "type") << uartType << "\n";
    }

    std::string Dev(const std::string& name) const { return (dirs.dev / name).string(); }
    std::string ById(const std::string& name) const { return (dirs.byId / name).string(); }

    rig::CScratch scratch;
    CSerialPortDirectories dirs;
};

TEST_F(SerialPortList, ListsTerminalsWithHardwareByIdNamesFirstThenInNumericOrder)
{
    // Without hardware, a UART that answers (4) and one with none at its address (0).
    const std::tuple<const char*, bool, int> ttys[] = {
        {"tty0", false, -1}, {"console", false, -1}, {"ttyS10", true, 4}, {"ttyS2", true, 4},
        {"ttyS1", true, 0},  {"ttyACM0", true, -1},  {"ttyUSB0", true, -1}, {"ttyUSB1", true, -1}};
    for (const auto& [name, withDevice, uartType] : ttys)
        AddTty(name, withDevice, uartType);
    fs::create_symlink("../../ttyUSB1", dirs.byId / "usb-Cable_B");
    fs::create_symlink("../../ttyUSB0", dirs.byId / "usb-Cable_A");
    EXPECT_EQ(ListPresentSerialPorts(dirs),
              (std::vector<std::string>{ById("usb-Cable_A"), ById("usb-Cable_B"), Dev("ttyACM0"),
                                        Dev("ttyS2"), Dev("ttyS10")}));
    EXPECT_EQ(PortDialogChoices(dirs)[5], "SIM");
    EXPECT_EQ(PortDialogChoices(dirs).size(), 11u);  // "", COM1-4, SIM and the five above
    EXPECT_TRUE(ListPresentSerialPorts({scratch.Path() / "none1", scratch.Path() / "none2", {}}).empty());
}

TEST_F(SerialPortList, ListingNeverOpensTheDevices)
{
    // A FIFO blocks whoever opens it for reading; listing must finish regardless.
    AddTty("ttyUSB0", true);
    ASSERT_EQ(::mkfifo((dirs.dev / "ttyUSB0").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((dirs.byId / "usb-fifo").c_str(), 0600), 0);
    EXPECT_EQ(ListPresentSerialPorts(dirs), (std::vector<std::string>{ById("usb-fifo"), Dev("ttyUSB0")}));
}

}  // namespace
