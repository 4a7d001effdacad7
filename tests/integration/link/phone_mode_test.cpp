// Taking the handset offline and resetting it: the codes, and the waiting line with its dots.
#include <gtest/gtest.h>

#include "link/phone_mode.h"
#include "link_kit.h"

namespace {

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
    const struct {
        const char* what;
        bool offline;   // SetPhoneOffline, else ResetPhone
        bool ignoring;  // a scripted handset that acknowledges and changes nothing
        bool refusing;  // the handset refuses the mode change
        uint32_t periodMs;
        int code;
        size_t minDots, maxDots;
    } cases[] = {
        {"offline as soon as a poll sees the offline word", true, false, false, 100, 70, 0, 29},
        {"offline fails after thirty periods", true, true, false, 10, 68, 30, 30},
        {"refused offline fails at once", true, false, true, 500, 68, 0, 0},
        {"reset online only after the handset was gone", false, false, false, 100, 71, 1, 59},
        {"reset never leaving diagnostic mode is no success", false, true, false, 5, 69, 60, 60},
        {"refused reset fails at once", false, false, true, 500, 69, 0, 0},
    };
    for (const auto& c : cases) {
        rig::CHandsetRig handset;
        handset.Start([&](sim::SimBehaviour& b) {
            b.resetAbsence = 1s;
            b.refuseModeChange = c.refusing;
        });
        CScriptedPeer peer([](const Bytes& request) { return PlainHandset(request); });
        LinkTiming timing = Quick();
        timing.modeWaitPeriodMs = c.periodMs;
        const auto link = OpenLink(c.ignoring ? peer.Port() : handset.Port(), timing);
        WaitRecord wait;
        const auto started = Clock::now();
        EXPECT_EQ(c.offline ? SetPhoneOffline(link.get(), wait.Watcher()) : ResetPhone(link.get(), wait.Watcher()),
                  c.code)
            << c.what;
        if (c.refusing) {
            // Nothing changed on the handset, so there is nothing to wait for.
            EXPECT_EQ(wait.events, "") << c.what;
            EXPECT_LT(Clock::now() - started, std::chrono::milliseconds(c.periodMs)) << c.what;
            continue;
        }
        ASSERT_GE(wait.events.size(), 2u) << c.what;
        const size_t dots = wait.events.size() - 2;
        EXPECT_EQ(wait.events, "<" + std::string(dots, '.') + ">") << c.what;
        EXPECT_GE(dots, c.minDots) << c.what;
        EXPECT_LE(dots, c.maxDots) << c.what;
        const int mode = c.offline && !c.ignoring ? modeDiagnosticOffline : modeDiagnostic;
        EXPECT_EQ(link->GetPhoneMode(), mode) << c.what;
    }
}

TEST(PhoneModeChange, NullPortsAndALinkNotReadyAreRefusedWithoutWaiting)
{
    CDiagPort link(Quick());
    ASSERT_EQ(link.CreateEvents(), linkStatusOk);
    WaitRecord wait;
    EXPECT_EQ(SetPhoneOffline(&link, wait.Watcher()), 68) << "not Ready: refused";
    EXPECT_EQ(SetPhoneOffline(nullptr, wait.Watcher()), 11);
    EXPECT_EQ(ResetPhone(nullptr, wait.Watcher()), 11);
    EXPECT_EQ(wait.events, "");
}

}  // namespace
