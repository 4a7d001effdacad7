#include <gtest/gtest.h>

#include "platform/port_names.h"
#include "platform/tick.h"

namespace {

TEST(Tick, ComparisonsSurviveTheWrap)
{
    const uint32_t beforeWrap = 0xFFFFFF00u;
    const uint32_t afterWrap = 0x00000100u;
    EXPECT_EQ(TickElapsed(beforeWrap, afterWrap), 0x200u);
    EXPECT_TRUE(TickReached(afterWrap, beforeWrap + 0x200u));
    EXPECT_FALSE(TickReached(beforeWrap, afterWrap));
    EXPECT_TRUE(TickReached(afterWrap, afterWrap));
    EXPECT_FALSE(TickReached(afterWrap - 1, afterWrap));
}

TEST(PortNames, AbsoluteComAndBareNames)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/dev/pts/7", "/dev/pts/7"}, {"COM1", "/dev/ttyS0"}, {"com12", "/dev/ttyS11"},
        {"ttyUSB0", "/dev/ttyUSB0"},  {"COMX", "/dev/COMX"},  {"COM", "/dev/COM"},
        {"", ""},                     {"COM0", ""},
    };
    for (const auto& [name, path] : cases)
        EXPECT_EQ(ResolvePortName(name), path) << name;
}

}  // namespace
