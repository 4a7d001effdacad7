// EFS operations over the real link against the virtual handset: the bytes on the wire, file
// round trips, listings with and without iteration, space, the presence test and the messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "efs/efs_operations.h"
#include "efs/efs_paths.h"
#include "efs_handset_fixture.h"

using namespace efs_test;

namespace {

Bytes Pattern(size_t length, uint8_t seed)
{
    Bytes data(length);
    for (size_t i = 0; i < length; ++i)
        data[i] = static_cast<uint8_t>((i * 31 + seed + i / 256) & 0xFF);
    return data;
}

Bytes Prefix(const Bytes& bytes, size_t count)
{
    return Bytes(bytes.begin(), bytes.begin() + static_cast<long>(std::min(count, bytes.size())));
}

}  // namespace

TEST_F(EfsOnHandset, RequestBytesOfEverySubcommand)
{
    PutDeviceFile("/abcdefghijklm", Pattern(5, 0));  // a 14-character path
    uint32_t bytes = 0;
    EfsNameList names;
    EfsFileAttributes attributes;
    const std::string path = "/abcdefghijklm";

    size_t mark = LogSize();
    ASSERT_TRUE(EfsGetFreeSpace(port.get(), &bytes));
    EXPECT_EQ(EfsRequestsSince(mark), (std::vector<Bytes>{{0x59, 0x0C}}));

    mark = LogSize();
    ASSERT_EQ(EfsProbe(port.get()), msgSuccess);
    EXPECT_EQ(EfsRequestsSince(mark), (std::vector<Bytes>{{0x59, 0x02, 0x01, 0x00}}));

    mark = LogSize();
    ASSERT_TRUE(EfsGetFileInfo(port.get(), path, &attributes, nullptr, nullptr));
    auto requests = EfsRequestsSince(mark);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(Prefix(requests[0], 4), (Bytes{0x59, 0x07, 15, '/'}));
    EXPECT_EQ(requests[0].size(), 2u + 1u + 15u);
    EXPECT_EQ(requests[0].back(), 0);

    mark = LogSize();
    ASSERT_TRUE(EfsListFiles(port.get(), "", &names));
    EXPECT_EQ(EfsRequestsSince(mark),
              (std::vector<Bytes>{{0x59, 0x0B, 0, 0, 0, 0, 1, 0}, {0x59, 0x0B, 1, 0, 0, 0, 1, 0}}));

    mark = LogSize();
    ASSERT_TRUE(EfsListDirs(port.get(), "", &names));
    EXPECT_EQ(EfsRequestsSince(mark), (std::vector<Bytes>{{0x59, 0x0A, 0, 0, 0, 0, 1, 0}}));

    mark = LogSize();
    ASSERT_TRUE(EfsMakeDir(port.get(), "/d"));
    ASSERT_TRUE(EfsRemoveDir(port.get(), "/d"));
    ASSERT_TRUE(EfsRemoveFile(port.get(), path));
    requests = EfsRequestsSince(mark);
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0], (Bytes{0x59, 0x00, 3, '/', 'd', 0}));
    EXPECT_EQ(requests[1], (Bytes{0x59, 0x01, 3, '/', 'd', 0}));
    EXPECT_EQ(Prefix(requests[2], 3), (Bytes{0x59, 0x06, 15}));
}

TEST_F(EfsOnHandset, FilesRoundTripWithTheRightBlocks)
{
    for (const size_t size : {size_t{0}, size_t{256}, size_t{257}, size_t{300 * 256}}) {
        SCOPED_TRACE("size " + std::to_string(size));
        const std::string path = "/rt" + std::to_string(size) + ".bin";
        const Bytes data = Pattern(size, static_cast<uint8_t>(size));

        size_t mark = LogSize();
        ASSERT_TRUE(EfsWriteFile(port.get(), path, efsDefaultWriteMode, efsDefaultFileAttributes,
                                 data.data(), data.size()));
        const auto writes = EfsRequestsSince(mark);
        const size_t blocks = std::max<size_t>(1, (size + 255) / 256);
        ASSERT_EQ(writes.size(), blocks);
        for (size_t i = 0; i < blocks; ++i) {
            const uint8_t expectedSeq = i == 0 ? 0 : static_cast<uint8_t>((i - 1) % 255 + 1);
            ASSERT_EQ(writes[i][1], 0x05);
            EXPECT_EQ(writes[i][2], expectedSeq) << "block " << i;
            EXPECT_EQ(writes[i][3], i + 1 < blocks ? 1 : 0) << "block " << i;
        }
        EXPECT_EQ(DeviceFile(path), data);

        mark = LogSize();
        uint32_t readSize = 99;
        const auto back = EfsReadFile(port.get(), path, &readSize);
        ASSERT_TRUE(back);
        EXPECT_EQ(*back, data);
        EXPECT_EQ(readSize, size);
        const auto reads = EfsRequestsSince(mark);
        ASSERT_EQ(reads.size(), blocks);
        for (size_t i = 1; i < reads.size(); ++i)
            EXPECT_EQ(reads[i], (Bytes{0x59, 0x04, static_cast<uint8_t>((i - 1) % 255 + 1)}));
    }
}

TEST_F(EfsOnHandset, TransfersReportProgressPerBlock)
{
    const Bytes data = Pattern(1000, 1);
    std::vector<std::pair<uint64_t, uint64_t>> writeSteps, readSteps;
    ASSERT_TRUE(EfsWriteFile(port.get(), "/p.bin", 1, efsDefaultFileAttributes, data.data(),
                             data.size(),
                             [&](uint64_t done, uint64_t total) { writeSteps.emplace_back(done, total); }));
    ASSERT_TRUE(EfsReadFile(port.get(), "/p.bin", nullptr,
                            [&](uint64_t done, uint64_t total) { readSteps.emplace_back(done, total); }));
    const std::vector<std::pair<uint64_t, uint64_t>> expected = {
        {256, 1000}, {512, 1000}, {768, 1000}, {1000, 1000}};
    EXPECT_EQ(writeSteps, expected);
    EXPECT_EQ(readSteps, expected);
}

TEST_F(EfsOnHandset, FileInformationAndSpace)
{
    PutDeviceFile("/info.bin", Pattern(1234, 0));
    EfsFileAttributes attributes;
    uint32_t time = 1, size = 0;
    ASSERT_TRUE(EfsGetFileInfo(port.get(), "/info.bin", &attributes, &time, &size));
    EXPECT_EQ(size, 1234u);
    EXPECT_EQ(attributes.attributes, 0x00FF);
    EXPECT_EQ(attributes.option1, 1);

    uint32_t untouched = 77;
    EXPECT_FALSE(EfsGetFileInfo(port.get(), "/missing", nullptr, nullptr, &untouched));
    EXPECT_EQ(untouched, 77u) << "outputs are written only on success";

    uint32_t freeBytes = 0, usedBytes = 0;
    ASSERT_TRUE(EfsGetFreeSpace(port.get(), &freeBytes));
    ASSERT_TRUE(EfsGetUsedSpace(port.get(), &usedBytes));
    EXPECT_EQ(usedBytes, 1440u);  // 1234 + 34 rounded up to 240
    EXPECT_EQ(uint64_t{freeBytes} + usedBytes, 4u * 1024 * 1024);

    Change([](sim::SimBehaviour& b) { b.usedFigureZero = true; });
    ASSERT_TRUE(EfsGetUsedSpace(port.get(), &usedBytes));
    EXPECT_EQ(usedBytes, 0u);
}

TEST_F(EfsOnHandset, ListingsByIteration)
{
    MakeDeviceDir("/dir");
    MakeDeviceDir("/dir/sub");
    MakeDeviceDir("/empty");
    PutDeviceFile("/dir/a.mod", {1});
    PutDeviceFile("/dir/b.sig", {2});

    EfsNameList names{"stale"};
    uint32_t count = 99;
    ASSERT_TRUE(EfsListFiles(port.get(), "/dir", &names, &count));
    EXPECT_EQ(names, (EfsNameList{"/dir/a.mod", "/dir/b.sig"}));
    EXPECT_EQ(count, 2u);
    ASSERT_TRUE(EfsListDirs(port.get(), "/dir", &names, &count));
    EXPECT_EQ(names, (EfsNameList{"/dir/sub"}));

    const size_t mark = LogSize();
    ASSERT_TRUE(EfsListFiles(port.get(), "/empty", &names, &count));
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(EfsRequestsSince(mark).size(), 1u) << "status 28 at once ends the listing";

    EXPECT_FALSE(EfsListFiles(port.get(), "/nowhere", &names, &count));
    EXPECT_EQ(count, 0u);
    Change([](sim::SimBehaviour& b) { b.failingPaths = {"/dir"}; });
    EXPECT_FALSE(EfsListDirs(port.get(), "/dir", &names, &count));
}

TEST_F(EfsOnHandset, FallbackListingCarriesTheDirectory)
{
    MakeDeviceDir("/dir");
    MakeDeviceDir("/dir/sub");
    PutDeviceFile("/top.mif", {1});
    PutDeviceFile("/dir/x.mod", {2});
    Change([](sim::SimBehaviour& b) { b.noIteration = true; });

    EfsNameList names;
    ASSERT_TRUE(EfsListDirs(port.get(), "", &names));
    EXPECT_EQ(names, (EfsNameList{"dir"})) << "root names stay bare";
    ASSERT_TRUE(EfsListFiles(port.get(), "", &names));
    EXPECT_EQ(names, (EfsNameList{"top.mif"}));
    ASSERT_TRUE(EfsListDirs(port.get(), "/dir", &names));
    EXPECT_EQ(names, (EfsNameList{"/dir/sub"}));
    ASSERT_TRUE(EfsListFiles(port.get(), "/dir", &names));
    EXPECT_EQ(names, (EfsNameList{"/dir/x.mod"})) << "file names carry their directory too";

    const size_t mark = LogSize();
    ASSERT_TRUE(EfsListFiles(port.get(), "/dir/", &names));
    EXPECT_EQ(names, (EfsNameList{"/dir/x.mod"})) << "joined without a double slash";
    const auto requests = EfsRequestsSince(mark);
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.back()[1], 0x03) << "the fallback is the single-request listing";
}

TEST_F(EfsOnHandset, PresenceTestAndItsRetry)
{
    EXPECT_EQ(EfsCheck(port.get()), msgSuccess);

    Change([](sim::SimBehaviour& b) { b.failingPaths = {"/"}; });
    EXPECT_EQ(EfsProbe(port.get()), msgEfsUnrecognised);

    Change([](sim::SimBehaviour& b) {
        b.failingPaths.clear();
        b.noEfs = true;
    });
    EXPECT_EQ(EfsProbe(port.get()), msgEfsNotSupported);

    const Bytes probe{0x59, 0x02, 0x01, 0x00};
    size_t mark = LogSize();
    EXPECT_EQ(EfsCheck(port.get()), msgEfsNotSupported);
    auto requests = EfsRequestsSince(mark);
    EXPECT_EQ(std::count(requests.begin(), requests.end(), probe), 2) << "one retry";

    Change([](sim::SimBehaviour& b) { b.noEfs = false; });
    mark = LogSize();
    EXPECT_EQ(EfsCheck(port.get()), msgSuccess);
    requests = EfsRequestsSince(mark);
    EXPECT_EQ(std::count(requests.begin(), requests.end(), probe), 1);
    EXPECT_EQ(DeviceRootPath, "");

    for (char letter = 'a'; letter < 'k'; ++letter)
        MakeDeviceDir("/" + std::string(30, letter));  // the root's listing outgrows a reply
    EXPECT_EQ(EfsProbe(port.get()), msgSuccess);
}

TEST_F(EfsOnHandset, PathsOver254BytesSendNothingAnd254ByteOnesWork)
{
    CReportCapture capture;
    const size_t mark = LogSize();
    EfsNameList names;
    EXPECT_FALSE(EfsMakeDir(port.get(), ""));
    EXPECT_FALSE(EfsRemoveFile(port.get(), ""));
    EXPECT_FALSE(EfsGetFileInfo(port.get(), "", nullptr, nullptr, nullptr));
    EXPECT_FALSE(EfsMakeDir(port.get(), "/" + std::string(254, 'n'))) << "255-byte path";
    EXPECT_FALSE(EfsListFiles(port.get(), "/" + std::string(254, 'n'), &names));
    EXPECT_FALSE(EfsWriteFile(port.get(), "/" + std::string(254, 'n'), 1, {}, nullptr, 0));
    EXPECT_FALSE(EfsRemoveFile(port.get(), std::string("/keep\0x", 7)));
    EXPECT_TRUE(EfsRequestsSince(mark).empty());
    EXPECT_TRUE(capture.texts.empty()) << "these failures are the caller's to report";

    EXPECT_TRUE(EfsMakeDir(port.get(), "/" + std::string(253, 'n'))) << "254 bytes still go";
    const std::string longest = "/d/" + std::string(251, 'n');
    MakeDeviceDir("/d");
    PutDeviceFile(longest, {7});
    ASSERT_TRUE(EfsListFiles(port.get(), "/d", &names));
    EXPECT_EQ(names, EfsNameList{longest});
    EXPECT_EQ(EfsReadFile(port.get(), longest), Bytes{7});
    EXPECT_TRUE(EfsRemoveFile(port.get(), longest));
    EXPECT_FALSE(DeviceEntryExists(longest));
}

TEST_F(EfsOnHandset, NullHandlesAndArgumentsAreReported)
{
    CReportCapture capture;
    const std::string invalidHandle =
        "Error - Invalid port handle passed. Please make sure to connect to the device first";
    const std::string nullArgument = "Error - NULL argument(s) passed";
    uint32_t value = 5;
    EfsNameList names;

    EXPECT_FALSE(EfsMakeDir(nullptr, "/a"));
    EXPECT_FALSE(EfsListDirs(nullptr, "", &names));
    EXPECT_FALSE(EfsReadFile(nullptr, "/a", &value));
    EXPECT_EQ(value, 0u);
    EXPECT_FALSE(EfsGetFreeSpace(nullptr, &value));
    EXPECT_EQ(capture.texts, std::vector<std::string>(4, invalidHandle));

    capture.texts.clear();
    EXPECT_FALSE(EfsListFiles(port.get(), "", nullptr, &value));
    EXPECT_FALSE(EfsWriteFile(port.get(), "/a", 1, {}, nullptr, 10));
    EXPECT_FALSE(EfsGetUsedSpace(port.get(), nullptr));
    EXPECT_EQ(capture.texts, std::vector<std::string>(3, nullArgument));

    capture.texts.clear();
    EXPECT_EQ(EfsProbe(nullptr), msgInvalidPortHandle);
    EXPECT_EQ(EfsCheck(nullptr), msgInvalidPortHandle);
    EXPECT_TRUE(capture.texts.empty()) << "the presence test leaves reporting to its caller";

    // A zero-length file needs no buffer.
    EXPECT_TRUE(EfsWriteFile(port.get(), "/zero", 1, efsDefaultFileAttributes, nullptr, 0));
    EXPECT_EQ(DeviceFile("/zero"), Bytes{});
    EXPECT_TRUE(capture.texts.empty());
}

TEST(EfsWithoutHandset, SpaceQueriesNeedAReadyPhone)
{
    CReportCapture capture;
    CDiagPort idle(FastLinkTiming());  // never opened: the phone status stays None
    uint32_t bytes = 42;
    EXPECT_FALSE(EfsGetFreeSpace(&idle, &bytes));
    EXPECT_EQ(bytes, 0u);
    bytes = 42;
    EXPECT_FALSE(EfsGetUsedSpace(&idle, &bytes));
    EXPECT_EQ(bytes, 0u);
    EXPECT_TRUE(capture.texts.empty());
}
