#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "report/reporter.h"
#include "link/phone_mode.h"
#include "link_fixture.h"

namespace {

LinkTiming Timing(uint32_t periodMs)
{
    LinkTiming timing = FastTiming();
    timing.modeWaitPeriodMs = periodMs;
    return timing;
}

struct ModeCase {
    const char* what;
    bool offline;             // SetPhoneOffline, else ResetPhone
    uint32_t periodMs;
    bool ignoreModeChanges;
    bool refuse;
    int resetSilentRequests;
    int code;
    size_t minDots, maxDots;  // dots printed after the waiting text
};

TEST(PhoneModeChange, OfflineAndResetWaitForTheHandsetAndReportTheirCodes)
{
    const ModeCase cases[] = {
        {"offline as soon as a poll sees the offline word", true, 100, false, false, 0, 70, 0, 29},
        {"offline fails after thirty periods", true, 10, true, false, 0, 68, 30, 30},
        {"refused offline fails at once", true, 500, false, true, 0, 68, 0, 0},
        {"reset online only after the handset was gone", false, 100, false, false, 6, 71, 1, 59},
        {"reset never leaving diagnostic mode is no success", false, 5, true, false, 0, 69, 60, 60},
        {"refused reset fails at once", false, 500, false, true, 0, 69, 0, 0},
    };
    OutputMode = outputModeConsole;
    for (const ModeCase& c : cases) {
        LinkUnderTest t(Timing(c.periodMs));
        t.handset.ignoreModeChanges = c.ignoreModeChanges;
        t.handset.resetSilentRequests = c.resetSilentRequests;
        t.handset.refuseModeChanges = c.refuse;
        ASSERT_TRUE(t.OpenReady()) << c.what;
        testing::internal::CaptureStdout();
        const auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(c.offline ? SetPhoneOffline(t.link.get()) : ResetPhone(t.link.get()), c.code)
            << c.what;
        const auto took = std::chrono::steady_clock::now() - started;
        const std::string out = testing::internal::GetCapturedStdout();
        if (c.refuse) {
            // Nothing changed on the handset, so there is nothing to wait for.
            EXPECT_EQ(out, "") << c.what;
            EXPECT_LT(took, std::chrono::milliseconds(c.periodMs)) << c.what;
            continue;
        }
        const std::string text = c.offline ? "Waiting for phone to go offline"
                                           : "Waiting for phone to come back online";
        ASSERT_GE(out.size(), text.size() + 1) << c.what;
        const size_t dots = out.size() - text.size() - 1;
        EXPECT_EQ(out, text + std::string(dots, '.') + "\n") << c.what;
        EXPECT_GE(dots, c.minDots) << c.what;
        EXPECT_LE(dots, c.maxDots) << c.what;
        if (c.code == 70 || c.code == 71) {
            EXPECT_EQ(t.link->GetPhoneMode(), c.offline ? modeDiagnosticOffline : modeDiagnostic);
        }
    }
}

TEST(PhoneModeChange, RefusedRequestsNullPortsAndWindowModePrintNothing)
{
    LinkUnderTest t(Timing(10));
    ASSERT_EQ(t.Open(), linkStatusOk);  // not Ready: the request is refused
    OutputMode = outputModeConsole;
    testing::internal::CaptureStdout();
    EXPECT_EQ(SetPhoneOffline(t.link.get()), 68);
    EXPECT_EQ(SetPhoneOffline(nullptr), 11);
    EXPECT_EQ(ResetPhone(nullptr), 11);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    ASSERT_TRUE(WaitUntil([&] { return t.link->GetPhoneStatus() == phoneStatusReady; },
                          std::chrono::seconds(20)));
    OutputMode = outputModeMessageBox;
    testing::internal::CaptureStdout();
    EXPECT_EQ(SetPhoneOffline(t.link.get()), 70);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    OutputMode = outputModeConsole;
}

}  // namespace
