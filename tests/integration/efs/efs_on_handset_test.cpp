// EFS operations and tree walks over the real link against the virtual handset: the requests on
// the wire, file round trips, refused arguments, sizes, case-insensitive file lookup, tree removal
// that goes on past failures, every depth a path allows, and stops inside operations only.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "efs/efs_operations.h"
#include "efs/efs_packets.h"
#include "efs/efs_paths.h"
#include "efs/efs_tree.h"
#include "platform/stop_request.h"
#include "support/handset_rig.h"

using rig::Bytes;
using rig::Pattern;

namespace {

// A request carrying a device name, by the builder whose bytes the EFS unit tests pin.
Bytes NameRequest(EfsSubcommand subcommand, const std::string& name)
{
    return *BuildEfsNameRequest(subcommand, name);
}

class EfsOnHandset : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(handset.Connect());
        port = handset.link.get();
    }

    // /t holds files of 0, 206 and 207 bytes and an empty folder, /t/s one of 446 and /t/s/u
    // one of 1000.
    void PutTree()
    {
        handset.MakeDeviceDir("/t/empty");
        handset.PutDeviceFile("/t/zero", {});
        handset.PutDeviceFile("/t/a", Bytes(206, 1));
        handset.PutDeviceFile("/t/b", Bytes(207, 1));
        handset.PutDeviceFile("/t/s/c", Bytes(446, 1));
        handset.PutDeviceFile("/t/s/u/d", Bytes(1000, 1));
    }

    rig::CHandsetRig handset;
    CDiagPort* port = nullptr;
};

const std::string cannotRead = "Error - Could not read the device EFS";

TEST_F(EfsOnHandset, EachOperationSendsExactlyItsRequests)
{
    const std::string path = "/abcdefghijklm";
    handset.PutDeviceFile(path, Pattern(5));
    uint32_t bytes = 0;
    EfsNameList names;
    const struct {
        const char* what;
        std::function<bool()> operation;
        std::vector<Bytes> requests;
    } cases[] = {
        {"free space", [&] { return EfsGetFreeSpace(port, &bytes); }, {{0x59, 0x0C}}},
        {"presence", [&] { return EfsProbe(port) == 0; }, {{0x59, 0x02, 0x01, 0x00}}},
        {"file information", [&] { return EfsGetFileInfo(port, path, nullptr, nullptr, nullptr); },
         {NameRequest(efsGetAttributes, path)}},
        {"files", [&] { return EfsListFiles(port, "", &names); },
         {{0x59, 0x0B, 0, 0, 0, 0, 1, 0}, {0x59, 0x0B, 1, 0, 0, 0, 1, 0}}},
        {"directories", [&] { return EfsListDirs(port, "", &names); }, {{0x59, 0x0A, 0, 0, 0, 0, 1, 0}}},
        {"make directory", [&] { return EfsMakeDir(port, "/d"); }, {NameRequest(efsMkDir, "/d")}},
        {"remove directory", [&] { return EfsRemoveDir(port, "/d"); }, {NameRequest(efsRmDir, "/d")}},
        {"remove file", [&] { return EfsRemoveFile(port, path); }, {NameRequest(efsRemoveFile, path)}},
    };
    for (const auto& c : cases) {
        const size_t mark = handset.LogSize();
        EXPECT_TRUE(c.operation()) << c.what;
        EXPECT_EQ(handset.EfsRequestsSince(mark), c.requests) << c.what;
    }
}

TEST_F(EfsOnHandset, FilesRoundTripInNumberedBlocksWithProgress)
{
    for (const size_t size : {size_t{0}, size_t{257}, size_t{1000}, size_t{300 * 256}}) {
        SCOPED_TRACE(size);
        const std::string path = "/rt" + std::to_string(size);
        const Bytes data = Pattern(size, static_cast<uint8_t>(size));
        std::vector<std::pair<uint64_t, uint64_t>> written, read;
        size_t mark = handset.LogSize();
        ASSERT_TRUE(EfsWriteFile(port, path, efsDefaultWriteMode, efsDefaultFileAttributes, data.data(), data.size(),
                                 [&](uint64_t done, uint64_t total) { written.emplace_back(done, total); }));
        // The handset refuses a block out of sequence, a wrong more flag or a short total, so a
        // whole file in one request a block proves the numbering past 255.
        const size_t blocks = std::max<size_t>(1, (size + 255) / 256);
        EXPECT_EQ(handset.EfsRequestsSince(mark).size(), blocks);
        EXPECT_EQ(handset.DeviceFile(path), data);

        mark = handset.LogSize();
        uint32_t readSize = 99;
        const auto back = EfsReadFile(port, path, &readSize, [&](uint64_t done, uint64_t total) { read.emplace_back(done, total); });
        ASSERT_TRUE(back);
        EXPECT_EQ(*back, data);
        EXPECT_EQ(readSize, size);
        EXPECT_EQ(handset.EfsRequestsSince(mark).size(), blocks);
        EXPECT_EQ(read, written);
        if (size == 1000) {
            EXPECT_EQ(written, (decltype(written){{256, 1000}, {512, 1000}, {768, 1000}, {1000, 1000}}));
        }
    }
}
// A request answered at once with "already so" did not do its work: only a retried one may take
// that answer as its first write's success, so these fail.
TEST_F(EfsOnHandset, WorkFoundDoneOnTheFirstWriteIsAFailure)
{
    handset.MakeDeviceDir("/there");
    const std::pair<const char*, std::function<bool()>> cases[] = {
        {"remove a missing file", [&] { return EfsRemoveFile(port, "/none"); }},
        {"remove a missing directory", [&] { return EfsRemoveDir(port, "/none"); }},
        {"make a directory thought absent", [&] { return EfsMakeDir(port, "/there", EfsDirPresence::absent); }},
    };
    for (const auto& [what, operation] : cases)
        EXPECT_FALSE(operation()) << what;
}

// Each refused call, and what it reports: path refusals are the caller's to report, as are the
// presence test and a phone not ready. None sends a request or writes an output.
TEST_F(EfsOnHandset, RefusedAndMissingArgumentsSendNothing)
{
    const std::string longest = "/" + std::string(253, 'n');
    const std::string nullArgument = "Error - NULL argument(s) passed";
    const std::string noPort = "Error - Invalid port handle passed. Please make sure to connect to the device first";
    CDiagPort idle(rig::FastTiming());  // never opened: the phone status stays None
    EfsNameList names;
    uint32_t value = 5;
    const std::tuple<std::function<bool()>, std::string, uint32_t> cases[] = {  // call, report, value after
        {[&] { return EfsMakeDir(port, ""); }, "", 42},
        {[&] { return EfsGetFileInfo(port, "", nullptr, nullptr, nullptr); }, "", 42},
        {[&] { return EfsMakeDir(port, longest + "n"); }, "", 42},  // 255 bytes
        {[&] { return EfsListFiles(port, longest + "n", &names); }, "", 42},
        {[&] { return EfsWriteFile(port, longest + "n", 1, {}, nullptr, 0); }, "", 42},
        {[&] { return EfsRemoveFile(port, std::string("/keep\0x", 7)); }, "", 42},
        {[&] { return EfsListFiles(port, "", nullptr, &value); }, nullArgument, 0},
        {[&] { return EfsWriteFile(port, "/a", 1, {}, nullptr, 10); }, nullArgument, 42},
        {[&] { return EfsGetUsedSpace(port, nullptr); }, nullArgument, 42},
        {[&] { return EfsMakeDir(nullptr, "/a"); }, noPort, 42},
        {[&] { return EfsReadFile(nullptr, "/a", &value).has_value(); }, noPort, 0},
        {[&] { return EfsGetFreeSpace(nullptr, &value); }, noPort, 0},
        {[&] { return EfsCheck(nullptr) != 11; }, "", 42},
        {[&] { return EfsGetFreeSpace(&idle, &value); }, "", 0},
        {[&] { return EfsGetUsedSpace(&idle, &value); }, "", 0},
    };
    const size_t mark = handset.LogSize();
    for (const auto& [call, text, after] : cases) {
        rig::CReportCapture capture;
        value = 42;
        EXPECT_FALSE(call()) << text;
        EXPECT_EQ(capture.texts, text.empty() ? std::vector<std::string>{} : std::vector<std::string>{text});
        EXPECT_EQ(value, after) << text;
    }
    EXPECT_TRUE(handset.EfsRequestsSince(mark).empty());

    EXPECT_TRUE(EfsMakeDir(port, longest)) << "254 bytes still go";
    EXPECT_TRUE(EfsWriteFile(port, "/zero", 1, efsDefaultFileAttributes, nullptr, 0)) << "no buffer for no bytes";
    EXPECT_EQ(handset.DeviceFile("/zero"), Bytes{});
}

TEST_F(EfsOnHandset, TreeSizesStoredAndAllocatedAndFileSizesInAnyLetterCase)
{
    PutTree();
    EXPECT_EQ(DeviceTreeSize(port, "/t"), 0u + 206 + 207 + 446 + 1000);
    EXPECT_EQ(DeviceTreeAllocatedSize(port, "/t"), 240u + 240 + 480 + 480 + 1200);
    EXPECT_EQ(DeviceTreeSize(port, "/t/empty"), 0u);
    // A handset that lists /tx among /t's folders does not make the walk count it.
    handset.PutDeviceFile("/tx/y", Bytes(5, 1));
    handset.Change([](sim::SimBehaviour& b) { b.siblingsInDirListings = true; });
    EXPECT_EQ(DeviceTreeSize(port, "/t"), 0u + 206 + 207 + 446 + 1000);
    handset.Change([](sim::SimBehaviour& b) { b.siblingsInDirListings = false; });
    rig::CReportCapture capture;
    EXPECT_EQ(DeviceTreeSize(port, "/absent"), 0u);
    EXPECT_EQ(capture.texts, std::vector<std::string>{cannotRead});

    handset.PutDeviceFile("/Chess.MIF", Bytes(321, 1));
    for (const bool iteration : {true, false}) {
        handset.Change([&](sim::SimBehaviour& b) { b.noIteration = !iteration; });
        EXPECT_EQ(DeviceFileSize(port, "/chess.mif"), 321u) << "bare root names match too";
        EXPECT_EQ(DeviceFileSize(port, "/t/s/C"), 446u);
        EXPECT_EQ(DeviceFileSize(port, "/t/s/missing"), 0u);
    }
    // Names that differ only in letter case: each path finds its own spelling first.
    handset.PutDeviceFile("/t/s/C", Bytes(17, 1));
    handset.PutDeviceFile("/t/s/u/D", Bytes(2, 1));
    for (const bool iteration : {true, false}) {
        handset.Change([&](sim::SimBehaviour& b) { b.noIteration = !iteration; });
        EXPECT_EQ(DeviceFileSize(port, "/t/s/C"), 17u);
        EXPECT_EQ(DeviceFileSize(port, "/t/s/c"), 446u);
        EXPECT_EQ(DeviceFileSize(port, "/t/s/u/d"), 1000u);
        EXPECT_EQ(DeviceFileSize(port, "/t/s/u/D"), 2u);
    }
}

TEST_F(EfsOnHandset, TreeRemovalGoesOnPastAResistingFileAndStaysInsideTheTree)
{
    PutTree();
    handset.PutDeviceFile("/t/stuck", Bytes(3, 1));
    handset.Change([](sim::SimBehaviour& b) { b.failingPaths = {"/t/stuck"}; });
    rig::CReportCapture capture;
    EXPECT_FALSE(RemoveDeviceTree(port, "/t"));
    EXPECT_EQ(capture.texts, std::vector<std::string>{"Error - Could not remove directory from the device:\n/t"});
    EXPECT_TRUE(handset.DeviceEntryExists("/t/stuck"));
    for (const char* gone : {"/t/zero", "/t/a", "/t/b", "/t/s", "/t/empty"})
        EXPECT_FALSE(handset.DeviceEntryExists(gone)) << gone;

    // Same-named files at the root and in the tree; without iteration the tree is listed by
    // the single-request listing, whose root names are bare.
    capture.texts.clear();
    handset.PutDeviceFile("/a.mod", Bytes(4, 1));
    handset.PutDeviceFile("/inner", Bytes(4, 1));
    handset.PutDeviceFile("/brew/a.mod", Bytes(4, 2));
    handset.PutDeviceFile("/brew/inner/a.mod", Bytes(4, 3));
    handset.Change([](sim::SimBehaviour& b) { b = {}, b.noIteration = true; });
    EXPECT_TRUE(RemoveDeviceTree(port, "brew"));
    EXPECT_FALSE(handset.DeviceEntryExists("/brew"));
    EXPECT_TRUE(handset.DeviceEntryExists("/a.mod"));
    EXPECT_TRUE(handset.DeviceEntryExists("/inner"));
    EXPECT_TRUE(capture.texts.empty());
}

// A write whose acknowledgement was lost is confirmed by the file's size before it succeeds,
// whichever block lost it; on a handset without statistics nothing else would check it. A last
// block sent again and refused, because the first one closed the file, is judged by the file,
// but an old file of the same length and time proves nothing.
TEST_F(EfsOnHandset, AWriteWithALostAcknowledgementIsConfirmedByTheFile)
{
    const Bytes data = Pattern(1000, 3);  // four blocks
    const auto attributesAsked = [&](size_t from) {
        const auto requests = handset.EfsRequestsSince(from);
        return std::count_if(requests.begin(), requests.end(),
                             [](const Bytes& r) { return r.at(1) == efsGetAttributes; });
    };
    for (const unsigned lost : {2u, 4u}) {
        const std::string path = "/w" + std::to_string(lost);
        handset.Change([&](sim::SimBehaviour& b) {
            b = {}, b.usedFigureZero = b.closesFinishedWrites = true;
            b.chosenReplies = {{{0x59, efsWriteFile}, {}, lost, sim::SimReplyFault::lose}};
        });
        const EfsFileCheck before = EfsCheckFile(port, path);
        const size_t heard = handset.LogSize();
        EXPECT_TRUE(EfsWriteFile(port, path, efsDefaultWriteMode, efsDefaultFileAttributes, data.data(),
                                 data.size(), {}, &before)) << lost;
        EXPECT_EQ(attributesAsked(heard), 1) << lost;
        EXPECT_EQ(handset.DeviceFile(path), data);
    }
    // The old file has the new one's length; the last block fails and its refusal is lost.
    handset.PutDeviceFile("/same", Pattern(1000, 4));
    handset.Change([](sim::SimBehaviour& b) {
        b = {}, b.writeBlockLimit = 3;
        b.chosenReplies = {{{0x59, efsWriteFile}, {}, 4, sim::SimReplyFault::lose}};
    });
    const EfsFileCheck before = EfsCheckFile(port, "/same");
    EXPECT_FALSE(EfsWriteFile(port, "/same", efsDefaultWriteMode, efsDefaultFileAttributes, data.data(),
                              data.size(), {}, &before));
    EXPECT_EQ(handset.DeviceFile("/same"), Pattern(1000, 4));
}

// Walks reach every depth a 254-byte path allows, with no stack to grow.
TEST_F(EfsOnHandset, TreeWalksReachEveryDepthAPathAllows)
{
    std::string path;
    for (int level = 1; level <= 126; ++level) {
        path += "/d";
        handset.PutDeviceFile(path + "/f", Bytes(1, 1));
    }
    ASSERT_EQ(path.size() + 2, 254u) << "the deepest file's path";
    rig::CReportCapture capture;
    EXPECT_EQ(DeviceTreeSize(port, "/d"), 126u);
    EXPECT_TRUE(RemoveDeviceTree(port, "/d"));
    EXPECT_FALSE(handset.DeviceEntryExists("/d"));
    EXPECT_EQ(capture.texts, std::vector<std::string>{});
}

// A stop request ends listings, size walks and removals between requests, without a message, but
// only inside a stoppable operation: a refresh after a stopped copy still lists, and a clean-up
// that holds the request back runs to its end.
TEST_F(EfsOnHandset, AStopCutsWalksShortOnlyInsideAnOperation)
{
    PutTree();
    rig::CReportCapture capture;
    RequestStop();
    EfsNameList names;
    EXPECT_TRUE(EfsListFiles(port, "/t", &names));
    EXPECT_EQ(DeviceTreeSize(port, "/t"), 1859u);
    {
        const CStoppableOperation operation;
        const size_t mark = handset.LogSize();
        EXPECT_FALSE(EfsListFiles(port, "/t", &names));
        EXPECT_EQ(DeviceTreeSize(port, "/t"), 0u);
        EXPECT_FALSE(RemoveDeviceTree(port, "/t"));
        EXPECT_EQ(DeviceFileSize(port, "/t/a"), 0u);
        EXPECT_EQ(handset.EfsRequestsSince(mark).size(), 0u);
        const CStopHold cleanUp;
        EXPECT_TRUE(RemoveDeviceTree(port, "/t"));
    }
    EXPECT_FALSE(handset.DeviceEntryExists("/t"));
    EXPECT_EQ(capture.texts, std::vector<std::string>{});
    EXPECT_TRUE(StopRequested());
    ClearStopRequest();
}

}  // namespace
