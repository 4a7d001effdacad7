// EFS operations over the real link against the virtual handset: the requests on the wire, file
// round trips, listings with and without iteration, the presence test, refused arguments, and
// hostile replies that must fail cleanly or give whole results.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "efs/efs_operations.h"
#include "efs/efs_paths.h"
#include "support/handset_rig.h"

using rig::Bytes;
using rig::Pattern;

namespace {

// A request carrying a device name: 59, the subcommand, the name's length with its terminator.
Bytes NameRequest(uint8_t subcommand, const std::string& name)
{
    Bytes request{0x59, subcommand, static_cast<uint8_t>(name.size() + 1)};
    request.insert(request.end(), name.begin(), name.end());
    request.push_back(0);
    return request;
}

class EfsOnHandset : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(handset.Connect());
        port = handset.link.get();
    }

    rig::CHandsetRig handset;
    CDiagPort* port = nullptr;
};

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
         {NameRequest(0x07, path)}},
        {"files", [&] { return EfsListFiles(port, "", &names); },
         {{0x59, 0x0B, 0, 0, 0, 0, 1, 0}, {0x59, 0x0B, 1, 0, 0, 0, 1, 0}}},
        {"directories", [&] { return EfsListDirs(port, "", &names); }, {{0x59, 0x0A, 0, 0, 0, 0, 1, 0}}},
        {"make directory", [&] { return EfsMakeDir(port, "/d"); }, {NameRequest(0x00, "/d")}},
        {"remove directory", [&] { return EfsRemoveDir(port, "/d"); }, {NameRequest(0x01, "/d")}},
        {"remove file", [&] { return EfsRemoveFile(port, path); }, {NameRequest(0x06, path)}},
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
        const auto writes = handset.EfsRequestsSince(mark);
        const size_t blocks = std::max<size_t>(1, (size + 255) / 256);
        ASSERT_EQ(writes.size(), blocks);
        for (size_t i = 0; i < blocks; ++i) {
            EXPECT_EQ(writes[i][1], 0x05);
            EXPECT_EQ(writes[i][2], i == 0 ? 0 : (i - 1) % 255 + 1) << "block " << i;
            EXPECT_EQ(writes[i][3], i + 1 < blocks ? 1 : 0) << "more to come, block " << i;
        }
        EXPECT_EQ(handset.DeviceFile(path), data);

        mark = handset.LogSize();
        uint32_t readSize = 99;
        const auto back = EfsReadFile(port, path, &readSize, [&](uint64_t done, uint64_t total) { read.emplace_back(done, total); });
        ASSERT_TRUE(back);
        EXPECT_EQ(*back, data);
        EXPECT_EQ(readSize, size);
        const auto reads = handset.EfsRequestsSince(mark);
        ASSERT_EQ(reads.size(), blocks);
        for (size_t i = 1; i < reads.size(); ++i)
            EXPECT_EQ(reads[i], (Bytes{0x59, 0x04, static_cast<uint8_t>((i - 1) % 255 + 1)}));
        if (size == 1000) {
            EXPECT_EQ(written, (decltype(written){{256, 1000}, {512, 1000}, {768, 1000}, {1000, 1000}}));
            EXPECT_EQ(read, written);
            EfsFileAttributes attributes;
            ASSERT_TRUE(EfsGetFileInfo(port, path, &attributes, nullptr, &readSize));
            EXPECT_EQ(readSize, 1000u);
            EXPECT_EQ(attributes.attributes, efsDefaultFileAttributes.attributes);
            EXPECT_FALSE(EfsGetFileInfo(port, "/missing", nullptr, nullptr, &readSize));
            EXPECT_EQ(readSize, 1000u) << "outputs are written only on success";
        }
    }
}

TEST_F(EfsOnHandset, ListingsByIterationAndByTheSingleRequestFallback)
{
    handset.MakeDeviceDir("/dir/sub");
    handset.MakeDeviceDir("/empty");
    handset.PutDeviceFile("/top.mif", {1});
    handset.PutDeviceFile("/dir/a.mod", {1});
    handset.PutDeviceFile("/dir/b.sig", {2});
    EfsNameList names{"stale"};
    uint32_t count = 99;
    ASSERT_TRUE(EfsListFiles(port, "/dir", &names, &count));
    EXPECT_EQ(names, (EfsNameList{"/dir/a.mod", "/dir/b.sig"}));
    EXPECT_EQ(count, 2u);
    ASSERT_TRUE(EfsListDirs(port, "/dir", &names, &count));
    EXPECT_EQ(names, (EfsNameList{"/dir/sub"}));
    const size_t mark = handset.LogSize();
    ASSERT_TRUE(EfsListFiles(port, "/empty", &names, &count));
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(handset.EfsRequestsSince(mark).size(), 1u) << "status 28 at once ends the listing";
    EXPECT_FALSE(EfsListFiles(port, "/nowhere", &names, &count));
    EXPECT_EQ(count, 0u);
    handset.Change([](sim::SimBehaviour& b) { b.failingPaths = {"/dir"}; });
    EXPECT_FALSE(EfsListDirs(port, "/dir", &names, &count));

    handset.Change([](sim::SimBehaviour& b) {
        b.failingPaths.clear();
        b.noIteration = true;
    });
    ASSERT_TRUE(EfsListDirs(port, "", &names));
    EXPECT_EQ(names, (EfsNameList{"dir", "empty"})) << "root names stay bare";
    ASSERT_TRUE(EfsListFiles(port, "", &names));
    EXPECT_EQ(names, (EfsNameList{"top.mif"}));
    ASSERT_TRUE(EfsListDirs(port, "/dir", &names));
    EXPECT_EQ(names, (EfsNameList{"/dir/sub"}));
    const size_t fallback = handset.LogSize();
    ASSERT_TRUE(EfsListFiles(port, "/dir/", &names));
    EXPECT_EQ(names, (EfsNameList{"/dir/a.mod", "/dir/b.sig"})) << "carrying the directory, one slash";
    EXPECT_EQ(handset.EfsRequestsSince(fallback).back(), NameRequest(0x03, "/dir/")) << "the single-request listing";
}

TEST_F(EfsOnHandset, PresenceTestAndItsRetry)
{
    const Bytes probe{0x59, 0x02, 0x01, 0x00};
    const struct {
        rig::BehaviourChange behaviour;
        int check;
        long probes;
    } cases[] = {
        {[](sim::SimBehaviour& b) { b.failingPaths = {"/"}; }, 25, 2},
        {[](sim::SimBehaviour& b) { b.failingPaths.clear(), b.noEfs = true; }, 24, 2},
        {[](sim::SimBehaviour& b) { b.noEfs = false; }, 0, 1},
    };
    for (const auto& c : cases) {
        handset.Change(c.behaviour);
        const size_t mark = handset.LogSize();
        EXPECT_EQ(EfsCheck(port), c.check);
        const auto requests = handset.EfsRequestsSince(mark);
        EXPECT_EQ(std::count(requests.begin(), requests.end(), probe), c.probes) << "one retry on failure";
    }
    EXPECT_EQ(DeviceRootPath, "");
}

TEST_F(EfsOnHandset, RefusedAndMissingArgumentsSendNothing)
{
    rig::CReportCapture capture;
    const size_t mark = handset.LogSize();
    const std::string longest = "/" + std::string(253, 'n');
    EfsNameList names;
    uint32_t value = 5;
    EXPECT_FALSE(EfsMakeDir(port, ""));
    EXPECT_FALSE(EfsGetFileInfo(port, "", nullptr, nullptr, nullptr));
    EXPECT_FALSE(EfsMakeDir(port, longest + "n")) << "255-byte path";
    EXPECT_FALSE(EfsListFiles(port, longest + "n", &names));
    EXPECT_FALSE(EfsWriteFile(port, longest + "n", 1, {}, nullptr, 0));
    EXPECT_FALSE(EfsRemoveFile(port, std::string("/keep\0x", 7)));
    EXPECT_TRUE(capture.texts.empty()) << "these failures are the caller's to report";

    EXPECT_FALSE(EfsListFiles(port, "", nullptr, &value));
    EXPECT_FALSE(EfsWriteFile(port, "/a", 1, {}, nullptr, 10));
    EXPECT_FALSE(EfsGetUsedSpace(port, nullptr));
    EXPECT_EQ(capture.texts, std::vector<std::string>(3, "Error - NULL argument(s) passed"));
    EXPECT_TRUE(handset.EfsRequestsSince(mark).empty());

    capture.texts.clear();
    EXPECT_FALSE(EfsMakeDir(nullptr, "/a"));
    EXPECT_FALSE(EfsReadFile(nullptr, "/a", &value));
    EXPECT_EQ(value, 0u);
    EXPECT_FALSE(EfsGetFreeSpace(nullptr, &value));
    EXPECT_EQ(capture.texts, std::vector<std::string>(
                                 3, "Error - Invalid port handle passed. Please make sure to connect to the device first"));
    capture.texts.clear();
    EXPECT_EQ(EfsCheck(nullptr), 11);
    CDiagPort idle(rig::FastTiming());  // never opened: the phone status stays None
    for (const auto query : {EfsGetFreeSpace, EfsGetUsedSpace}) {
        value = 42;
        EXPECT_FALSE(query(&idle, &value));
        EXPECT_EQ(value, 0u);
    }
    EXPECT_TRUE(capture.texts.empty()) << "the presence test and a phone not ready leave reporting to the caller";

    EXPECT_TRUE(EfsMakeDir(port, longest)) << "254 bytes still go";
    EXPECT_TRUE(EfsWriteFile(port, "/zero", 1, efsDefaultFileAttributes, nullptr, 0)) << "no buffer for no bytes";
    EXPECT_EQ(handset.DeviceFile("/zero"), Bytes{});
}

// Hostile replies through the module procedures are the fault suite's; these are the readers'
// own cases: an overrun of an empty file, the read after it, and noise before every reply.
TEST_F(EfsOnHandset, HostileRepliesFailCleanlyOrGiveWholeResults)
{
    handset.PutDeviceFile("/empty", {});
    handset.PutDeviceFile("/f", Pattern(600));
    handset.Change([](sim::SimBehaviour& b) { b.hostileReadOverrun = true; });
    EXPECT_FALSE(EfsReadFile(port, "/empty"));
    handset.Change([](sim::SimBehaviour& b) { b.hostileReadOverrun = false; });
    EXPECT_EQ(EfsReadFile(port, "/f"), Pattern(600)) << "the next read starts afresh";

    const Bytes escapes(3000, 0x7E);  // every byte needs escaping on the wire
    handset.Change([](sim::SimBehaviour& b) { b.noise = true; });
    EXPECT_TRUE(EfsWriteFile(port, "/noisy", 1, efsDefaultFileAttributes, escapes.data(), escapes.size()));
    EXPECT_EQ(EfsReadFile(port, "/noisy"), escapes);
    EXPECT_EQ(handset.DeviceFile("/noisy"), escapes);
}

}  // namespace
