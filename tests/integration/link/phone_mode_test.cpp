// Taking the handset offline and resetting it: the codes, and the waiting line with its dots.
#include <gtest/gtest.h>

#include "link/phone_mode.h"
#include "link_kit.h"
#include "report/reporter.h"

namespace {

TEST(PhoneModeChange, OfflineAndResetWaitForTheHandsetAndReportTheirCodes)
{
    const struct {
        const char* what;
        bool offline;   // SetPhoneOffline, else ResetPhone
        bool ignoring;  // a scripted handset that acknowledges and changes nothing
        uint32_t periodMs;
        int code;
        size_t minDots, maxDots;
    } cases[] = {
        {"offline as soon as a poll sees the offline word", true, false, 100, 70, 0, 29},
        {"offline fails after thirty periods", true, true, 10, 68, 30, 30},
        {"reset online only after the handset was gone", false, false, 100, 71, 1, 59},
        {"reset never leaving diagnostic mode is no success", false, true, 5, 69, 60, 60},
    };
    OutputMode = outputModeConsole;
    for (const auto& c : cases) {
        rig::CHandsetRig handset;
        handset.Start([](sim::SimBehaviour& b) { b.resetAbsence = 1s; });
        CScriptedPeer peer([](const Bytes& request) { return PlainHandset(request); });
        LinkTiming timing = Quick();
        timing.modeWaitPeriodMs = c.periodMs;
        const auto link = OpenLink(c.ignoring ? peer.Port() : handset.Port(), timing);
        testing::internal::CaptureStdout();
        EXPECT_EQ(c.offline ? SetPhoneOffline(link.get()) : ResetPhone(link.get()), c.code) << c.what;
        const std::string out = testing::internal::GetCapturedStdout();
        const std::string text = c.offline ? "Waiting for phone to go offline" : "Waiting for phone to come back online";
        ASSERT_GE(out.size(), text.size() + 1) << c.what;
        const size_t dots = out.size() - text.size() - 1;
        EXPECT_EQ(out, text + std::string(dots, '.') + "\n") << c.what;
        EXPECT_GE(dots, c.minDots) << c.what;
        EXPECT_LE(dots, c.maxDots) << c.what;
        const int mode = c.offline && !c.ignoring ? modeDiagnosticOffline : modeDiagnostic;
        EXPECT_EQ(link->GetPhoneMode(), mode) << c.what;
    }
}

TEST(PhoneModeChange, RefusedRequestsNullPortsAndWindowModePrintNothing)
{
    rig::CHandsetRig handset;
    CDiagPort link(Quick());
    ASSERT_EQ(link.CreateEvents(), linkStatusOk);
    OutputMode = outputModeConsole;
    testing::internal::CaptureStdout();
    EXPECT_EQ(SetPhoneOffline(&link), 68) << "not Ready: refused";
    EXPECT_EQ(SetPhoneOffline(nullptr), 11);
    EXPECT_EQ(ResetPhone(nullptr), 11);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    ASSERT_EQ(link.OpenPort(handset.Port()), linkStatusOk);
    ASSERT_TRUE(rig::WaitUntil(20s, [&] { return link.GetPhoneStatus() == phoneStatusReady; }));
    rig::CReportCapture window;
    testing::internal::CaptureStdout();
    EXPECT_EQ(SetPhoneOffline(&link), 70);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

}  // namespace
