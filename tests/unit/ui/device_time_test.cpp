// Device times: seconds from 6 January 1980 00:00:00 local standard time, shown "%x, %X".
#include "ui/device_time.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

namespace {

TEST(DeviceTime, EpochIsLocalStandardMidnightAndTimesShowLocally)
{
    const std::string oldZone = std::getenv("TZ") ? std::getenv("TZ") : "";
    std::setlocale(LC_ALL, "C");
    // A zone west of Greenwich comes later; one whose summer time is in force in January is
    // still read as standard time.
    const std::pair<const char*, std::time_t> epochs[] = {
        {"UTC0", 315964800}, {"EST5", 315964800 + 5 * 3600},
        {"AEST-10AEDT,M10.1.0,M4.1.0/3", 315964800 - 10 * 3600}};
    for (const auto& [zone, epoch] : epochs) {
        ::setenv("TZ", zone, 1);
        ::tzset();
        EXPECT_EQ(ComputeDeviceEpoch(), epoch) << zone;
    }
    ::setenv("TZ", "UTC0", 1);
    ::tzset();
    const std::time_t epoch = ComputeDeviceEpoch();
    EXPECT_EQ(FormatDeviceTime(0, epoch), "01/06/80, 00:00:00");
    EXPECT_EQ(FormatDeviceTime(86400 + 3661, epoch), "01/07/80, 01:01:01");
    EXPECT_EQ(FormatDeviceTime(0xFFFFFFFFu, epoch), "02/12/16, 06:28:15");  // the largest
    EXPECT_EQ(FormatDeviceTime(100, static_cast<std::time_t>(-1)), "");     // no epoch, no text
    oldZone.empty() ? ::unsetenv("TZ") : ::setenv("TZ", oldZone.c_str(), 1);
    ::tzset();
}

}  // namespace
