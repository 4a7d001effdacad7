// Several sessions in one process: each keeps its own statistics flag, stop request and link
// progress, while a stop of every session reaches them all.
#include <gtest/gtest.h>

#include <latch>
#include <thread>

#include "platform/session_context.h"
#include "platform/stop_request.h"
#include "report/reporter.h"
#include "session/device_session.h"
#include "support/handset_rig.h"

namespace {

struct SessionView {
    AppMessage connected = msgSuccess;
    bool statistics = false;
    bool stopAfterOwnRequest = false;
    bool stopAfterEveryone = false;
    unsigned linkProgress = 0;
};

TEST(SessionContexts, TwoSessionsKeepTheirOwnStateAndAStopOfAllReachesBoth)
{
    rig::CHandsetRig counting;
    rig::CHandsetRig withoutFigures;
    withoutFigures.Start([](sim::SimBehaviour& b) { b.usedFigureZero = true; });
    counting.PutDeviceFile("nv/phone.cfg", rig::ToBytes(std::string(512, 'c')));
    EfsStatsAvailable = true;
    ClearStopRequest();
    const unsigned processProgress = ProcessSessionContext().linkProgress.load();

    std::latch connected(2);
    std::latch ownStopsMade(2);
    std::latch ownStopsSeen(3);
    std::latch everyoneAsked(1);
    std::latch everyoneSeen(2);
    auto run = [&](rig::CHandsetRig& handset, bool stopHere, SessionView& view) {
        CSessionContext context;
        CSessionContextScope scope(context);
        CDeviceSession session;
        view.connected = session.Connect(handset.Port(), rig::FastTiming());
        connected.arrive_and_wait();  // both flags decided before either is read
        view.statistics = EfsStatsAvailable;
        if (stopHere)
            RequestStop();
        ownStopsMade.arrive_and_wait();
        view.stopAfterOwnRequest = StopRequested();
        view.linkProgress = context.linkProgress.load();
        ownStopsSeen.arrive_and_wait();
        everyoneAsked.wait();
        view.stopAfterEveryone = StopRequested();
        everyoneSeen.count_down();
    };
    SessionView first;
    SessionView second;
    std::thread a(run, std::ref(counting), false, std::ref(first));
    std::thread b(run, std::ref(withoutFigures), true, std::ref(second));
    ownStopsSeen.arrive_and_wait();
    EXPECT_FALSE(StopRequested()) << "one session's stop reached the process context";
    RequestStopEverywhere();
    everyoneAsked.count_down();
    everyoneSeen.wait();
    a.join();
    b.join();

    ASSERT_EQ(first.connected, msgSuccess);
    ASSERT_EQ(second.connected, msgSuccess);
    EXPECT_TRUE(first.statistics);
    EXPECT_FALSE(second.statistics);
    EXPECT_TRUE(EfsStatsAvailable) << "a session's connect wrote the process's flag";
    EXPECT_FALSE(first.stopAfterOwnRequest) << "the other session's stop reached this one";
    EXPECT_TRUE(second.stopAfterOwnRequest);
    EXPECT_TRUE(first.stopAfterEveryone);
    EXPECT_TRUE(second.stopAfterEveryone);
    EXPECT_TRUE(StopRequested());
    ClearStopRequest();
    EXPECT_FALSE(StopRequested());
    // Each link counted its replies in its own session.
    EXPECT_GT(first.linkProgress, 0u);
    EXPECT_GT(second.linkProgress, 0u);
    EXPECT_EQ(ProcessSessionContext().linkProgress.load(), processProgress);
}

}  // namespace
