// Taking the handset offline and resetting it: the codes, and the waiting line with its dots.
#include <gtest/gtest.h>

#include <algorithm>

#include "link/phone_mode.h"
#include "link_kit.h"

namespace {

// A mode change's wait as text: "<" when it starts, "." per period, ">" when it ends.
ModeWaitWatcher Recorder(std::string& events)
{
    return [&events](ModeWaitEvent event) {
        events += event == ModeWaitEvent::started ? '<' : event == ModeWaitEvent::period ? '.' : '>';
    };
}

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
        std::string wait;
        const auto started = Clock::now();
        EXPECT_EQ(c.offline ? SetPhoneOffline(link.get(), Recorder(wait)) : ResetPhone(link.get(), Recorder(wait)),
                  c.code)
            << c.what;
        // A refused change leaves nothing to wait for.
        const auto dots = static_cast<size_t>(std::count(wait.begin(), wait.end(), '.'));
        EXPECT_EQ(wait, c.refusing ? "" : "<" + std::string(dots, '.') + ">") << c.what;
        EXPECT_TRUE(dots >= c.minDots && dots <= c.maxDots) << c.what << ": " << dots << " dots";
        EXPECT_TRUE(!c.refusing || Clock::now() - started < std::chrono::milliseconds(c.periodMs)) << c.what;
        const bool offline = c.offline && !c.ignoring && !c.refusing;
        EXPECT_EQ(link->GetPhoneMode(), offline ? modeDiagnosticOffline : modeDiagnostic) << c.what;
    }
}

TEST(PhoneModeChange, NullPortsAndALinkNotReadyAreRefusedWithoutWaiting)
{
    CDiagPort link(Quick());
    ASSERT_EQ(link.CreateEvents(), linkStatusOk);
    std::string wait;
    EXPECT_EQ(SetPhoneOffline(&link, Recorder(wait)), 68) << "not Ready: refused";
    EXPECT_EQ(SetPhoneOffline(nullptr, Recorder(wait)), 11);
    EXPECT_EQ(ResetPhone(nullptr, Recorder(wait)), 11);
    EXPECT_EQ(wait, "");
}

}  // namespace
