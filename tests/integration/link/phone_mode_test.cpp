#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "console/report/reporter.h"
#include "link/phone_mode.h"
#include "link_fixture.h"

namespace {

using namespace std::chrono_literals;

class PhoneModeChange : public ::testing::Test {
protected:
    void SetUp() override { OutputMode = outputModeConsole; }
    void TearDown() override { OutputMode = outputModeConsole; }

    static LinkTiming Timing(uint32_t periodMs)
    {
        LinkTiming timing = FastTiming();
        timing.modeWaitPeriodMs = periodMs;
        return timing;
    }
};

TEST_F(PhoneModeChange, OfflineSucceedsAsSoonAsAPollSeesTheOfflineWord)
{
    LinkUnderTest t(Timing(100));
    ASSERT_TRUE(t.OpenReady());
    testing::internal::CaptureStdout();
    EXPECT_EQ(SetPhoneOffline(t.link.get()), 70);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(t.link->GetPhoneMode(), modeDiagnosticOffline);
    ASSERT_EQ(out.rfind("Waiting for phone to go offline", 0), 0u) << out;
    const size_t dots = out.size() - std::string("Waiting for phone to go offline\n").size();
    EXPECT_EQ(out, "Waiting for phone to go offline" + std::string(dots, '.') + "\n");
    EXPECT_LT(dots, 30u);
}

TEST_F(PhoneModeChange, OfflineFailsAfterThirtyPeriodsWhenTheModeNeverChanges)
{
    LinkUnderTest t(Timing(10));
    t.handset.ignoreModeChanges = true;
    ASSERT_TRUE(t.OpenReady());
    testing::internal::CaptureStdout();
    EXPECT_EQ(SetPhoneOffline(t.link.get()), 68);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Waiting for phone to go offline" + std::string(30, '.') + "\n");
}

TEST_F(PhoneModeChange, RefusedRequestsAndNullPortsPrintNothing)
{
    LinkUnderTest t(Timing(10));
    ASSERT_EQ(t.Open(), linkStatusOk);  // not Ready: the request is refused
    testing::internal::CaptureStdout();
    EXPECT_EQ(SetPhoneOffline(t.link.get()), 68);
    EXPECT_EQ(SetPhoneOffline(nullptr), 11);
    EXPECT_EQ(ResetPhone(nullptr), 11);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(PhoneModeChange, ResetReportsOnlineOnlyAfterTheHandsetWasGoneAndCameBack)
{
    LinkUnderTest t(Timing(100));
    t.handset.resetSilentRequests = 6;
    ASSERT_TRUE(t.OpenReady());
    testing::internal::CaptureStdout();
    EXPECT_EQ(ResetPhone(t.link.get()), 71);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(t.link->GetPhoneMode(), modeDiagnostic);
    ASSERT_EQ(out.rfind("Waiting for phone to come back online", 0), 0u);
    const size_t dots = out.size() - std::string("Waiting for phone to come back online\n").size();
    EXPECT_GT(dots, 0u) << "the handset was absent for at least one period";
    EXPECT_LT(dots, 60u);
}

TEST_F(PhoneModeChange, ResetThatNeverLeavesDiagnosticModeIsNotReportedAsOnline)
{
    LinkUnderTest t(Timing(5));
    t.handset.ignoreModeChanges = true;
    ASSERT_TRUE(t.OpenReady());
    testing::internal::CaptureStdout();
    EXPECT_EQ(ResetPhone(t.link.get()), 69);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Waiting for phone to come back online" + std::string(60, '.') + "\n");
}

TEST_F(PhoneModeChange, OutsideConsoleModeNothingIsPrinted)
{
    LinkUnderTest t(Timing(50));
    ASSERT_TRUE(t.OpenReady());
    OutputMode = outputModeMessageBox;
    testing::internal::CaptureStdout();
    EXPECT_EQ(SetPhoneOffline(t.link.get()), 70);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

}  // namespace
