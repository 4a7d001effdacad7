#include <gtest/gtest.h>

#include <chrono>
#include <string>

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
    size_t minDots, maxDots;  // periods the watcher is told of
};

// Records a mode change's wait: "<" when it starts, "." per period, ">" when it ends.
struct WaitRecord {
    std::string events;
    ModeWaitWatcher Watcher()
    {
        return [this](ModeWaitEvent event) {
            events += event == ModeWaitEvent::started ? '<' : event == ModeWaitEvent::period ? '.' : '>';
        };
    }
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
    for (const ModeCase& c : cases) {
        LinkUnderTest t(Timing(c.periodMs));
        t.handset.ignoreModeChanges = c.ignoreModeChanges;
        t.handset.resetSilentRequests = c.resetSilentRequests;
        t.handset.refuseModeChanges = c.refuse;
        ASSERT_TRUE(t.OpenReady()) << c.what;
        WaitRecord wait;
        const auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(c.offline ? SetPhoneOffline(t.link.get(), wait.Watcher())
                            : ResetPhone(t.link.get(), wait.Watcher()),
                  c.code)
            << c.what;
        const auto took = std::chrono::steady_clock::now() - started;
        if (c.refuse) {
            // Nothing changed on the handset, so there is nothing to wait for.
            EXPECT_EQ(wait.events, "") << c.what;
            EXPECT_LT(took, std::chrono::milliseconds(c.periodMs)) << c.what;
            continue;
        }
        ASSERT_GE(wait.events.size(), 2u) << c.what;
        const size_t dots = wait.events.size() - 2;
        EXPECT_EQ(wait.events, "<" + std::string(dots, '.') + ">") << c.what;
        EXPECT_GE(dots, c.minDots) << c.what;
        EXPECT_LE(dots, c.maxDots) << c.what;
        if (c.code == 70 || c.code == 71) {
            EXPECT_EQ(t.link->GetPhoneMode(), c.offline ? modeDiagnosticOffline : modeDiagnostic);
        }
    }
}

TEST(PhoneModeChange, RefusedRequestsAndNullPortsWaitForNothing)
{
    LinkUnderTest t(Timing(10));
    ASSERT_EQ(t.Open(), linkStatusOk);  // not Ready: the request is refused
    WaitRecord wait;
    EXPECT_EQ(SetPhoneOffline(t.link.get(), wait.Watcher()), 68);
    EXPECT_EQ(SetPhoneOffline(nullptr, wait.Watcher()), 11);
    EXPECT_EQ(ResetPhone(nullptr, wait.Watcher()), 11);
    EXPECT_EQ(wait.events, "");
}

}  // namespace
