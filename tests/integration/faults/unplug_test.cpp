// The handset unplugged (its end of the pty closed) or reset in the middle of an operation:
// the operation fails within its bound, nothing on the PC is damaged, and a fresh connection
// works as before.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "efs/efs_operations.h"
#include "fault_fixture.h"
#include "link/phone_mode.h"
#include "modules/file_fetch.h"
#include "modules/module_list.h"
#include "modules/module_load.h"

using namespace faults_test;

namespace {

constexpr auto operationBound = seconds(30);
constexpr size_t largeFile = 70000;
constexpr AppMessage fetchOk = 0;
constexpr AppMessage fetchCannotRead = 36;
constexpr AppMessage moduleLoaded = 1;
constexpr AppMessage moduleDeleted = 2;
constexpr AppMessage resetDone = 71;

}  // namespace

TEST_F(FaultsOnHandset, UnpluggedDuringALargeWriteFailsAndTheWriteWorksAfterwards)
{
    ASSERT_NO_FATAL_FAILURE(StartAndConnect());
    const Bytes data = Pattern(largeFile, 4);
    const auto write = [&] {
        return EfsWriteFile(port.get(), "/big", efsDefaultWriteMode, efsDefaultFileAttributes,
                            data.data(), data.size());
    };
    const auto started = Clock::now();
    auto pending = Launch(write);
    ASSERT_NO_FATAL_FAILURE(UnplugAfter(40));
    EXPECT_FALSE(Finish(pending, started, operationBound));

    ASSERT_NO_FATAL_FAILURE(Replug());
    EXPECT_TRUE(RunWithin(operationBound, write));
    EXPECT_EQ(ReadPcFile(device / "big"), data);
}

TEST_F(FaultsOnHandset, UnpluggedDuringAFetchKeepsThePcFile)
{
    const Bytes fresh = Pattern(largeFile, 5);
    const Bytes old = Pattern(1000, 6);
    PutDeviceFile("big", fresh);
    PutPcFile(pc / "big", old);
    ASSERT_NO_FATAL_FAILURE(StartAndConnect());
    std::string pcPath = pc.string();

    const auto started = Clock::now();
    auto pending = Launch([&] { return FetchFile(port.get(), "/big", pcPath); });
    ASSERT_NO_FATAL_FAILURE(UnplugAfter(40));
    EXPECT_EQ(Finish(pending, started, operationBound), fetchCannotRead);
    EXPECT_EQ(ReadPcFile(pc / "big"), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(pc), fs::directory_iterator()), 1)
        << "a temporary file was left behind";

    ASSERT_NO_FATAL_FAILURE(Replug());
    pcPath = pc.string();
    EXPECT_EQ(RunWithin(operationBound, [&] { return FetchFile(port.get(), "/big", pcPath); }), fetchOk);
    EXPECT_EQ(ReadPcFile(pc / "big"), fresh);
}

TEST_F(FaultsOnHandset, UnpluggedOrResetDuringAListingFailsWhole)
{
    for (int i = 0; i < 300; ++i)
        PutDeviceFile("many/entry" + std::to_string(i), {});
    ASSERT_NO_FATAL_FAILURE(StartAndConnect([](sim::SimBehaviour& b) { b.resetAbsence = seconds(3); }));
    const auto list = [&](EfsNameList& names) {
        return [&] { return EfsListFiles(port.get(), "/many", &names); };
    };

    // A reset request from a second thread while the iteration runs: the listing comes back
    // whole or not at all, and the link serves the next listing once the handset is back.
    {
        EfsNameList names;
        const auto started = Clock::now();
        auto pending = Launch(list(names));
        ASSERT_TRUE(host->WaitForRequests(host->RequestCount() + 50, seconds(30)));
        const uint8_t reset[3] = {0x29, 2, 0};
        EXPECT_EQ(port->SendSync(sizeof reset, reset, cmdTypeDiag, 0, 2000, nullptr, nullptr), linkStatusOk);
        if (Finish(pending, started, operationBound)) {
            EXPECT_EQ(names.size(), 300u);
        } else {
            EXPECT_TRUE(names.empty());
        }
        ASSERT_TRUE(WaitUntil(seconds(20), [&] { return port->GetPhoneStatus() == phoneStatusReady; }));
        EfsNameList after;
        EXPECT_TRUE(RunWithin(operationBound, list(after)));
        EXPECT_EQ(after.size(), 300u);
    }

    {
        EfsNameList names;
        const auto started = Clock::now();
        auto pending = Launch(list(names));
        ASSERT_NO_FATAL_FAILURE(UnplugAfter(50));
        EXPECT_FALSE(Finish(pending, started, operationBound));
        EXPECT_TRUE(names.empty());
    }

    ASSERT_NO_FATAL_FAILURE(Replug());
    EfsNameList names;
    EXPECT_TRUE(RunWithin(operationBound, list(names)));
    EXPECT_EQ(names.size(), 300u);
}

TEST_F(FaultsOnHandset, ResetPhoneSeesTheHandsetGoAndComeBack)
{
    // The handset is silent for a second after accepting the reset; a poll in that second
    // finds it gone and a later one finds it back, so the reset is reported done.
    ASSERT_NO_FATAL_FAILURE(StartAndConnect([](sim::SimBehaviour& b) { b.resetAbsence = seconds(1); }));
    EXPECT_EQ(RunWithin(seconds(40), [&] { return ResetPhone(port.get()); }), resetDone);
    EXPECT_EQ(port->GetPhoneStatus(), phoneStatusReady);
}

TEST_F(FaultsOnHandset, UnpluggedDuringAModuleLoadLeavesAModuleThatCanBeReplaced)
{
    const Bytes program = Pattern(largeFile, 8);
    PutPcFile(pc / "chess/chess.mif", Pattern(200, 9));
    PutPcFile(pc / "chess/chess.mod", program);
    ASSERT_NO_FATAL_FAILURE(StartAndConnect());
    const auto load = [&] { return LoadModule(port.get(), (pc / "chess").string(), "chess"); };

    const auto started = Clock::now();
    auto pending = Launch(load);
    ASSERT_NO_FATAL_FAILURE(UnplugAfter(40));
    EXPECT_NE(Finish(pending, started, operationBound), moduleLoaded);

    // The cut-off load could not clean up after itself. Deleting the module removes its .mif;
    // the module directory is left empty (an empty module directory counts as missing), so it
    // is removed by hand before the load runs again.
    ASSERT_NO_FATAL_FAILURE(Replug());
    if (fs::exists(device / "chess.mif")) {
        EXPECT_EQ(RunWithin(operationBound, [&] { return DeleteModule(port.get(), "chess"); }), moduleDeleted);
        EXPECT_FALSE(fs::exists(device / "chess.mif"));
    }
    if (fs::exists(device / "chess") && fs::is_empty(device / "chess")) {
        EXPECT_TRUE(RunWithin(operationBound, [&] { return EfsRemoveDir(port.get(), "/chess"); }));
    }
    EXPECT_EQ(RunWithin(operationBound, load), moduleLoaded);
    EXPECT_EQ(ReadPcFile(device / "chess/chess.mod"), program);
    EXPECT_EQ(ReadPcFile(device / "chess.mif"), Pattern(200, 9));
}
