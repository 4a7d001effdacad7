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
    EXPECT_EQ(ResolvePortName("/dev/pts/7"), "/dev/pts/7");
    EXPECT_EQ(ResolvePortName("COM1"), "/dev/ttyS0");
    EXPECT_EQ(ResolvePortName("com12"), "/dev/ttyS11");
    EXPECT_EQ(ResolvePortName("ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_EQ(ResolvePortName("COMX"), "/dev/COMX");
    EXPECT_EQ(ResolvePortName("COM"), "/dev/COM");
}

TEST(PortNames, EmptyAndZeroNamesResolveToNothing)
{
    EXPECT_EQ(ResolvePortName(""), "");
    EXPECT_EQ(ResolvePortName("COM0"), "");
}

}  // namespace
