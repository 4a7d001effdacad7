// Device times: seconds from 6 January 1980 00:00:00 local standard time, shown "%x, %X".
#include "ui/device_time.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

namespace {

// Runs a case in a chosen time zone and the C locale, restoring both afterwards.
class DeviceTimeTest : public ::testing::Test {
protected:
    void UseZone(const char* zone)
    {
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    void SetUp() override
    {
        const char* old = std::getenv("TZ");
        hadZone_ = old != nullptr;
        if (old)
            oldZone_ = old;
        std::setlocale(LC_ALL, "C");
    }
    void TearDown() override
    {
        if (hadZone_)
            ::setenv("TZ", oldZone_.c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

private:
    std::string oldZone_;
    bool hadZone_ = false;
};

TEST_F(DeviceTimeTest, EpochIsSixthOfJanuary1980LocalMidnight)
{
    UseZone("UTC0");
    EXPECT_EQ(ComputeDeviceEpoch(), 315964800);
    // Five hours west of Greenwich the same local midnight comes five hours later.
    UseZone("EST5");
    EXPECT_EQ(ComputeDeviceEpoch(), 315964800 + 5 * 3600);
}

TEST_F(DeviceTimeTest, DaylightSavingNeverShiftsTheEpoch)
{
    // A zone whose summer time is in force in January: the epoch is still read as standard time.
    UseZone("AEST-10AEDT,M10.1.0,M4.1.0/3");
    EXPECT_EQ(ComputeDeviceEpoch(), 315964800 - 10 * 3600);
}

TEST_F(DeviceTimeTest, FormatsTheLocalDateAndTime)
{
    UseZone("UTC0");
    const std::time_t epoch = ComputeDeviceEpoch();
    EXPECT_EQ(FormatDeviceTime(0, epoch), "01/06/80, 00:00:00");
    EXPECT_EQ(FormatDeviceTime(86400 + 3661, epoch), "01/07/80, 01:01:01");
    // The largest device time stays representable.
    EXPECT_EQ(FormatDeviceTime(0xFFFFFFFFu, epoch), "02/12/16, 06:28:15");
    EXPECT_EQ(FormatDeviceTime(100, static_cast<std::time_t>(-1)), "");  // no epoch, no text
}

}  // namespace
