// The one order of port names, on every system.
#include "platform/present_ports.h"

#include <gtest/gtest.h>

namespace {

TEST(PortOrder, TrailingNumbersSortByValueAndEveryNameKeepsItsOwnPlace)
{
    // {unsorted, sorted}
    const std::pair<std::vector<std::string>, std::vector<std::string>> cases[] = {
        {{"COM10", "COM2", "COM1", "COM100", "COM9"}, {"COM1", "COM2", "COM9", "COM10", "COM100"}},
        {{"ttyS10", "ttyUSB0", "ttyS2", "ttyACM1", "ttyS1"}, {"ttyACM1", "ttyS1", "ttyS2", "ttyS10", "ttyUSB0"}},
        // Numbers inside a name are text; only the trailing one counts by value.
        {{"usb-A10-port1", "usb-A2-port10", "usb-A2-port2"}, {"usb-A10-port1", "usb-A2-port2", "usb-A2-port10"}},
        // Leading zeros: distinct names stay distinct and in one order whatever the input order.
        {{"COM02", "COM2", "COM010", "COM1"}, {"COM1", "COM2", "COM02", "COM010"}},
        {{"COM", "COM3", "CNCA0", "COMX"}, {"CNCA0", "COM", "COM3", "COMX"}},
        {{"/dev/serial/by-id/b", "/dev/serial/by-id/a"}, {"/dev/serial/by-id/a", "/dev/serial/by-id/b"}},
        {{"", "COM1"}, {"", "COM1"}},
    };
    for (const auto& [input, sorted] : cases) {
        std::vector<std::string> ports = input;
        SortPortsNaturally(ports);
        EXPECT_EQ(ports, sorted) << input.front();
        std::vector<std::string> reversed(sorted.rbegin(), sorted.rend());
        SortPortsNaturally(reversed);
        EXPECT_EQ(reversed, sorted) << input.front();
    }
    for (const char* name : {"COM2", "COM02", "ttyS10", ""})
        EXPECT_FALSE(NaturalPortLess(name, name)) << name;
}

}  // namespace
