// The port list of a several-port command and what the summary offers to repeat.
#include <gtest/gtest.h>

#include "console/fleet_view.h"
#include "fleet/port_list.h"

namespace {

struct PortListCase {
    const char* name;
    const char* text;
    std::vector<std::string> labels;  // empty: refused
    std::vector<std::string> shown;
};

class PortLists : public ::testing::TestWithParam<PortListCase> {};

TEST_P(PortLists, SplitLabelOrRefuse)
{
    const CPortList list = ParsePortList(GetParam().text);
    std::vector<std::string> labels;
    std::vector<std::string> shown;
    for (const CFleetPort& port : list.ports) {
        labels.push_back(port.label);
        shown.push_back(port.shown);
    }
    if (GetParam().labels.empty()) {
        EXPECT_FALSE(list.refusal.empty());
        return;
    }
    EXPECT_EQ(list.refusal, "");
    EXPECT_EQ(labels, GetParam().labels);
    EXPECT_EQ(shown, GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PortLists,
    ::testing::Values(
        PortListCase{"Paths", "/dev/ttyUSB0,/dev/ttyUSB1", {"ttyUSB0", "ttyUSB1"}, {"/dev/ttyUSB0", "/dev/ttyUSB1"}},
        PortListCase{"SimRepeats", "SIM,sim,SIM", {"SIM-1", "SIM-2", "SIM-3"}, {"SIM-1", "SIM-2", "SIM-3"}},
        PortListCase{"SameLastPartNumbered", "/dev/a/tty1,/dev/b/tty1", {"tty1-1", "tty1-2"}, {"tty1-1", "tty1-2"}},
        PortListCase{"SamePortTwice", "/dev/ttyUSB0,/dev/ttyUSB0", {}, {}},
        PortListCase{"SamePortSpelledTwoWays", "ttyUSB0,/dev/ttyUSB0", {}, {}},
        PortListCase{"ComNameAndItsDevice", "COM1,/dev/ttyS0", {}, {}},
        PortListCase{"EmptyEntry", "SIM,,SIM", {}, {}},
        PortListCase{"TrailingComma", "SIM,", {}, {}},
        // A label names a folder: characters a Windows folder name cannot hold become "_".
        PortListCase{"ColonsInAPath", "/dev/serial/by-path/pci-0000:00:14.0-usb-0:1", {"pci-0000_00_14.0-usb-0_1"},
                     {"/dev/serial/by-path/pci-0000:00:14.0-usb-0:1"}},
        PortListCase{"LabelCannotClimbOut", "SIM:..,/dev/..", {"SIM", "port"}, {"SIM:..", "/dev/.."}}),
    [](const auto& each) { return std::string(each.param.name); });

CFleetRow Row(const std::string& name, bool finished, bool succeeded)
{
    CFleetRow row;
    row.port = {name, name, name};
    row.finished = finished;
    row.succeeded = succeeded;
    return row;
}

TEST(FleetRetry, NamesOnlyTheFailedPortsAndQuotesWhatAShellWouldSplit)
{
    const std::vector<CFleetRow> rows{Row("/dev/ttyUSB0", true, true), Row("/dev/ttyUSB1", true, false),
                                      Row("SIM", true, false)};
    EXPECT_EQ(FleetRetryCommand(rows, {"-l", "/tmp/my modules", "chess"}, false),
              "VANTFerrant /dev/ttyUSB1,SIM -l \"/tmp/my modules\" chess");
    EXPECT_EQ(FleetRetryCommand(rows, {"-v"}, true), "VANTFerrant --json /dev/ttyUSB1,SIM -v");
    EXPECT_EQ(FleetRetryCommand({rows[0]}, {"-v"}, false), "");
}

}  // namespace
