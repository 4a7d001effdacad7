// The ports offered for choosing: fixed names first, each port present once after them.
#include "session/port_choices.h"

#include <gtest/gtest.h>

namespace {

using Names = std::vector<std::string>;

TEST(PortChoices, PortsPresentFollowTheFixedNamesAndNoPortIsOfferedTwice)
{
    const Names fixed = {"", "COM1", "COM2", "COM3", "COM4", "SIM"};
    // {ports present, what follows the fixed names}
    const std::pair<Names, Names> cases[] = {
        {{}, {}},
        {{"COM5", "COM10"}, {"COM5", "COM10"}},
        // A fixed COM name present, in any letter case, is the fixed one.
        {{"COM1", "com3", "Com4", "cOM2", "COM7"}, {"COM7"}},
        // Only the same COM name matches: COM10 is not COM1, COM01 is a name of its own.
        {{"COM10", "COM11", "COM01"}, {"COM10", "COM11", "COM01"}},
        // A port listed twice by two drivers is offered once, as first spelt.
        {{"COM8", "com8", "COM8"}, {"COM8"}},
        // Paths and other names are compared as they are.
        {{"/dev/ttyS0", "/dev/ttyS0", "/dev/TTYS0", "CNCA0"}, {"/dev/ttyS0", "/dev/TTYS0", "CNCA0"}},
        {{"", "SIM"}, {}},
    };
    for (const auto& [present, added] : cases) {
        Names expected = fixed;
        expected.insert(expected.end(), added.begin(), added.end());
        EXPECT_EQ(PortChoicesWith(present), expected) << (present.empty() ? "(none)" : present.front());
    }
}

}  // namespace
