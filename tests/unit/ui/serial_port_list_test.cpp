// Listing the serial ports present from a scratch tree shaped like /dev/serial/by-id and
// /sys/class/tty.
#include "ui/serial_port_list.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>

#include "support/scratch.h"

namespace fs = std::filesystem;

namespace {

TEST(SerialPortList, TerminalsWithHardwareByIdNamesFirstThenInNumericOrderNeverOpened)
{
    rig::CScratch scratch;
    const CSerialPortDirectories dirs{scratch.Path() / "by-id", scratch.Path() / "sys", scratch.Path() / "dev"};
    fs::create_directories(dirs.byId);
    fs::create_directories(dirs.dev);
    // {name, has a hardware device, UART type file (-1 none)}: without hardware, a UART that
    // answers (4) and one with none at its address (0).
    const std::tuple<const char*, bool, int> ttys[] = {
        {"tty0", false, -1}, {"console", false, -1}, {"ttyS10", true, 4}, {"ttyS2", true, 4},
        {"ttyS1", true, 0},  {"ttyACM0", true, -1},  {"ttyUSB0", true, -1}, {"ttyUSB1", true, -1}};
    for (const auto& [name, withDevice, uartType] : ttys) {
        fs::create_directories(dirs.sysClassTty / name / (withDevice ? "device" : ""));
        if (uartType >= 0)
            std::ofstream(dirs.sysClassTty / name / "type") << uartType << "\n";
    }
    fs::create_symlink("../../ttyUSB1", dirs.byId / "usb-Cable_B");
    fs::create_symlink("../../ttyUSB0", dirs.byId / "usb-Cable_A");
    // FIFOs block whoever opens them for reading; listing must finish regardless.
    ASSERT_EQ(::mkfifo((dirs.dev / "ttyACM0").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((dirs.byId / "usb-fifo").c_str(), 0600), 0);
    const std::vector<std::string> expected = {
        (dirs.byId / "usb-Cable_A").string(), (dirs.byId / "usb-Cable_B").string(), (dirs.byId / "usb-fifo").string(),
        (dirs.dev / "ttyACM0").string(),      (dirs.dev / "ttyS2").string(),        (dirs.dev / "ttyS10").string()};
    EXPECT_EQ(ListPresentSerialPorts(dirs), expected);
    EXPECT_EQ(PortDialogChoices(dirs)[5], "SIM");
    EXPECT_EQ(PortDialogChoices(dirs).size(), 12u);  // "", COM1-4, SIM and the six above
    EXPECT_TRUE(ListPresentSerialPorts({scratch.Path() / "none1", scratch.Path() / "none2", {}}).empty());
}

}  // namespace
