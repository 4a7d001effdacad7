// Hostile handset replies driven through the module procedures (the EFS layer's own readers are
// tested on their own): each procedure fails with its message or returns a correct, bounded
// result, and nothing on the PC is damaged.
#include <gtest/gtest.h>

#include <string>

#include "fault_fixture.h"
#include "modules/file_fetch.h"
#include "modules/module_list.h"
#include "modules/module_load.h"

using namespace faults_test;

namespace {

constexpr auto bound = seconds(30);
constexpr AppMessage listedModules = 0;
constexpr AppMessage cannotListModules = 38;
constexpr AppMessage moduleLoaded = 1;
constexpr AppMessage moduleDeleted = 2;
constexpr AppMessage cannotRemoveModule = 58;
constexpr AppMessage cannotReadDeviceFile = 36;

}  // namespace

TEST_F(FaultsOnHandset, OverstatedLengthsFailEveryModuleProcedureCleanly)
{
    PutDeviceFile("chess.mif", Pattern(50, 1));
    PutDeviceFile("chess/chess.mod", Pattern(600, 2));
    PutPcFile(pc / "chess.mod", Pattern(10, 3));
    PutPcFile(pc / "golf/golf.mif", Pattern(20, 4));
    PutPcFile(pc / "golf/golf.mod", Pattern(700, 5));
    ASSERT_NO_FATAL_FAILURE(StartAndConnect([](sim::SimBehaviour& b) { b.hostileLengths = true; }));

    EXPECT_EQ(RunWithin(bound, [&] { return ListModules(port.get()); }), cannotListModules);
    std::string pcPath = pc.string();
    EXPECT_EQ(RunWithin(bound, [&] { return FetchFile(port.get(), "/chess/chess.mod", pcPath); }),
              cannotReadDeviceFile);
    EXPECT_EQ(ReadPcFile(pc / "chess.mod"), Pattern(10, 3));
    EXPECT_NE(RunWithin(bound, [&] { return DeleteModule(port.get(), "chess"); }), moduleDeleted);
    // A load whose checks cannot read the device stops before writing, or writes exactly.
    if (RunWithin(bound, [&] { return LoadModule(port.get(), (pc / "golf").string(), "golf"); }) ==
        moduleLoaded) {
        EXPECT_EQ(ReadPcFile(device / "golf/golf.mod"), Pattern(700, 5));
    } else {
        EXPECT_FALSE(fs::exists(device / "golf.mif"));
    }
    EXPECT_EQ(ReadPcFile(device / "chess/chess.mod"), Pattern(600, 2)) << "a failed delete removed data";
}

TEST_F(FaultsOnHandset, LongNamesAndManyEntriesGiveWholeModuleListings)
{
    PutDeviceFile("chess.mif", Pattern(50, 1));
    PutDeviceFile("chess/chess.mod", Pattern(600, 2));
    ASSERT_NO_FATAL_FAILURE(StartAndConnect([](sim::SimBehaviour& b) {
        b.hostileLongNames = true;
        b.hostileManyEntries = true;
    }));
    EXPECT_EQ(RunWithin(bound, [&] { return ListModules(port.get()); }), listedModules);
    // The module's directory lists entries the handset cannot remove: the delete removes the
    // .mif, then fails on them with its message.
    reported.clear();
    EXPECT_EQ(RunWithin(bound, [&] { return DeleteModule(port.get(), "chess"); }), cannotRemoveModule);
    EXPECT_FALSE(reported.empty());
    EXPECT_FALSE(fs::exists(device / "chess.mif"));
}

TEST_F(FaultsOnHandset, ReadOverrunFailsTheFetchAndKeepsThePcFile)
{
    PutDeviceFile("data.bin", Pattern(700, 6));
    PutPcFile(pc / "data.bin", Pattern(30, 7));
    ASSERT_NO_FATAL_FAILURE(StartAndConnect([](sim::SimBehaviour& b) { b.hostileReadOverrun = true; }));
    std::string pcPath = pc.string();
    EXPECT_EQ(RunWithin(bound, [&] { return FetchFile(port.get(), "/data.bin", pcPath); }),
              cannotReadDeviceFile);
    EXPECT_EQ(ReadPcFile(pc / "data.bin"), Pattern(30, 7));
    EXPECT_EQ(std::distance(fs::directory_iterator(pc), fs::directory_iterator()), 1);
}
