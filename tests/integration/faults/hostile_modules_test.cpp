// Hostile handset replies driven through the module procedures (the EFS layer's own readers are
// tested on their own): each procedure fails with its message or returns a correct, bounded
// result, and nothing on the PC is damaged.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "fault_fixture.h"
#include "modules/file_fetch.h"
#include "modules/module_list.h"
#include "modules/module_load.h"
#include "platform/stop_request.h"

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

    std::vector<StoredModule> modules;
    EXPECT_EQ(RunWithin(bound, [&] { return ListModules(port.get(), ModuleSizes::actual, modules); }),
              cannotListModules);
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
    std::vector<StoredModule> modules;
    EXPECT_EQ(RunWithin(bound, [&] { return ListModules(port.get(), ModuleSizes::actual, modules); }),
              listedModules);
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

// A stop request between blocks ends each procedure the way a failure does: what the load made
// is rolled back, the old PC file stays, and the stop's own code comes back.
TEST_F(FaultsOnHandset, StopEndsEachProcedureThroughItsFailurePath)
{
    PutDeviceFile("data.bin", Pattern(20000, 8));
    PutPcFile(pc / "data.bin", Pattern(30, 9));
    PutPcFile(pc / "golf/golf.mif", Pattern(20, 4));
    PutPcFile(pc / "golf/golf.mod", Pattern(20000, 5));
    PutPcFile(pc / "golf/golf.sig", Pattern(10, 5));
    PutPcFile(pc / "golf/golf.bar", Pattern(10, 5));
    ASSERT_NO_FATAL_FAILURE(StartAndConnect());
    struct Case {
        const char* name;
        std::function<AppMessage()> run;
        AppMessage stopped;
    };
    std::string pcPath = pc.string();
    const Case cases[] = {
        {"load", [&] { return LoadModule(port.get(), (pc / "golf").string(), "golf"); }, 3},
        {"fetch", [&] { return FetchFile(port.get(), "/data.bin", pcPath); }, 4},
        {"pending", [&] { return LoadPendingFile(port.get(), (pc / "golf/golf.mod").string()); }, 91},
    };
    for (const auto& c : cases) {
        ClearStopRequest();
        reported.clear();
        pcPath = pc.string();
        const auto started = Clock::now();
        auto pending = Launch(c.run);
        ASSERT_TRUE(host->WaitForRequests(host->RequestCount() + 12, seconds(20))) << c.name;
        RequestStop();
        EXPECT_EQ(Finish(pending, started, bound), c.stopped) << c.name;
        EXPECT_TRUE(reported.empty()) << c.name << ": " << reported.front();
    }
    ClearStopRequest();
    EXPECT_FALSE(fs::exists(device / "golf.mif"));
    EXPECT_FALSE(fs::exists(device / "golf"));
    EXPECT_EQ(ReadPcFile(pc / "data.bin"), Pattern(30, 9));
    EXPECT_EQ(std::distance(fs::directory_iterator(pc), fs::directory_iterator()), 2);
}

// PC entries that are not regular files are refused at once, before anything is written, and a
// fetch into a folder that cannot take its file fails before asking the handset for anything.
TEST_F(FaultsOnHandset, SpecialPcFilesAndMissingFoldersFailBeforeTheHandsetIsAsked)
{
    PutDeviceFile("data.bin", Pattern(700, 6));
    const fs::path fifo = pc / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const fs::path socketPath = pc / "socket";
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    PutPcFile(pc / "golf/golf.mif", Pattern(20, 4));
    PutPcFile(pc / "golf/golf.mod", Pattern(20, 4));
    PutPcFile(pc / "golf/golf.sig", Pattern(20, 4));
    PutPcFile(pc / "golf/golf.bar", Pattern(20, 4));
    fs::create_directories(pc / "golf/sub");
    ASSERT_EQ(::mkfifo((pc / "golf/sub/pipe").c_str(), 0600), 0);
    ASSERT_NO_FATAL_FAILURE(StartAndConnect());

    constexpr auto atOnce = seconds(1);
    for (const fs::path& special : {fifo, fs::path("/dev/null"), socketPath}) {
        reported.clear();
        EXPECT_EQ(RunWithin(atOnce, [&] { return LoadPendingFile(port.get(), special.string()); }), 66)
            << special;
        EXPECT_EQ(reported, std::vector<std::string>{"Error - Could not open file from PC"});
    }
    EXPECT_EQ(RunWithin(atOnce, [&] { return LoadModule(port.get(), (pc / "golf").string(), "golf"); }),
              65);
    EXPECT_FALSE(fs::exists(device / "pending"));
    EXPECT_FALSE(fs::exists(device / "golf.mif"));

    const auto isRead = [](const sim::SimRequestRecord& r) {
        return r.payload.size() > 1 && r.payload[0] == 0x59 && r.payload[1] == 4;
    };
    std::string missing = (pc / "missing").string();
    EXPECT_EQ(FetchFile(port.get(), "/data.bin", missing), 41);
    const auto log = host->RequestLog();
    EXPECT_EQ(std::count_if(log.begin(), log.end(), isRead), 0);
    ::close(listener);
}
