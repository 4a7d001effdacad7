// Byte-level tests of the handset's EFS replies over the in-memory file system.
#include <gtest/gtest.h>

#include "efs_requests.h"
#include "sim/demo_tree.h"
#include "sim/efs_responder.h"

using namespace simtest;
using sim::SimBehaviour;

namespace {

class EfsResponderTest : public ::testing::Test {
protected:
    std::unique_ptr<sim::CMemoryFileSystem> fs = sim::MakeDemoFileSystem();
    sim::CEfsResponder efs{*fs};
    SimBehaviour behaviour;

    Bytes Ask(const Bytes& request) { return efs.Handle(request, behaviour); }

    std::vector<std::string> Iterate(uint8_t subcommand, const std::string& directory, uint8_t* endStatus = nullptr)
    {
        std::vector<std::string> names;
        for (uint32_t sequence = 0; sequence < 1000; ++sequence) {
            const Bytes reply = Ask(IterateRequest(subcommand, sequence, directory));
            EXPECT_GE(reply.size(), 3u);
            if (reply.size() < 3 || reply[2] != 0) {
                if (endStatus != nullptr)
                    *endStatus = reply.size() >= 3 ? reply[2] : 0xFF;
                break;
            }
            names.push_back(IteratedName(reply));
        }
        return names;
    }

    Bytes ReadWhole(const std::string& path, uint32_t* announced = nullptr, std::vector<uint8_t>* sequences = nullptr)
    {
        Bytes reply = Ask(ReadFirst(path));
        if (reply.size() < 11 || reply[2] != 0)
            return {};
        if (announced != nullptr)
            *announced = Le(reply, 5, 4);
        Bytes data(reply.begin() + 11, reply.end());
        EXPECT_EQ(Le(reply, 9, 2), reply.size() - 11);
        uint8_t sequence = 0;
        while (reply[4] != 0) {
            sequence = sim::NextSequence(sequence);
            if (sequences != nullptr)
                sequences->push_back(sequence);
            reply = Ask(ReadNext(sequence));
            if (reply.size() < 7 || reply[2] != 0) {
                ADD_FAILURE() << "continuation failed";
                return {};
            }
            EXPECT_EQ(Le(reply, 5, 2), reply.size() - 7);
            data.insert(data.end(), reply.begin() + 7, reply.end());
        }
        return data;
    }

    // Writes data in 256-byte blocks; returns the status of the first failing block, or 0.
    uint8_t WriteWhole(const std::string& path, const Bytes& data)
    {
        size_t offset = std::min<size_t>(256, data.size());
        Bytes reply = Ask(WriteFirst(path, static_cast<uint32_t>(data.size()), Bytes(data.begin(), data.begin() + static_cast<long>(offset)),
                                     offset < data.size()));
        uint8_t sequence = 0;
        while (reply.at(2) == 0 && offset < data.size()) {
            sequence = sim::NextSequence(sequence);
            const size_t length = std::min<size_t>(256, data.size() - offset);
            const Bytes block(data.begin() + static_cast<long>(offset), data.begin() + static_cast<long>(offset + length));
            offset += length;
            reply = Ask(WriteNext(sequence, block, offset < data.size()));
        }
        return reply.at(2);
    }

    Bytes Stored(const std::string& path)
    {
        Bytes data;
        EXPECT_EQ(fs->ReadFile(*sim::ParseDevicePath(path), data), sim::efsStatusOk) << path;
        return data;
    }
};

Bytes Pattern(size_t size)
{
    Bytes data(size);
    for (size_t i = 0; i < size; ++i)
        data[i] = static_cast<uint8_t>(i * 31 + i / 256);
    return data;
}

TEST_F(EfsResponderTest, IterationGivesFullPathsWithLeadingSlashAndEndsWithStatus28)
{
    uint8_t end = 0;
    EXPECT_EQ(Iterate(sim::efsIterateFiles, "", &end), (std::vector<std::string>{"/chess.mif", "/notes.txt"}));
    EXPECT_EQ(end, sim::efsStatusEnumerationDone);
    EXPECT_EQ(Iterate(sim::efsIterateDirs, ""), (std::vector<std::string>{"/chess", "/data"}));
    EXPECT_EQ(Iterate(sim::efsIterateFiles, "/chess"),
              (std::vector<std::string>{"/chess/chess.bar", "/chess/chess.mod", "/chess/chess.sig"}));
    EXPECT_EQ(Iterate(sim::efsIterateDirs, "data"), (std::vector<std::string>{"/data/logs"}));

    // An empty directory ends at once; a missing one is an error, not an empty listing.
    EXPECT_TRUE(Iterate(sim::efsIterateDirs, "chess", &end).empty());
    EXPECT_EQ(end, sim::efsStatusEnumerationDone);
    EXPECT_TRUE(Iterate(sim::efsIterateFiles, "nowhere", &end).empty());
    EXPECT_EQ(end, sim::efsStatusDirMissing);

    // A sequence number far past the end is just the end.
    EXPECT_EQ(Ask(IterateRequest(sim::efsIterateFiles, 0xFFFFFFFF, ""))[2], sim::efsStatusEnumerationDone);
}

TEST_F(EfsResponderTest, SingleRequestListingCarriesTheNameBlock)
{
    const Bytes request = NameRequest(sim::efsListDirs, "");
    EXPECT_EQ(request, (Bytes{0x59, 0x02, 0x01, 0x00}));
    Bytes reply = Ask(request);
    ASSERT_GE(reply.size(), 7u);
    EXPECT_EQ(reply[2], 0);
    const Bytes block{'c', 'h', 'e', 's', 's', 0, 'd', 'a', 't', 'a', 0};
    EXPECT_EQ(Le(reply, 5, 2), block.size());
    EXPECT_EQ(Bytes(reply.begin() + 7, reply.end()), block);

    reply = Ask(NameRequest(sim::efsListFiles, "chess"));
    const std::string names(reply.begin() + 7, reply.end());
    EXPECT_EQ(names, std::string("chess.bar\0chess.mod\0chess.sig\0", 30));

    reply = Ask(NameRequest(sim::efsListDirs, "chess"));
    EXPECT_EQ(reply, (Bytes{0x59, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(Ask(NameRequest(sim::efsListFiles, "missing")), (Bytes{0x59, 0x03, sim::efsStatusDirMissing}));
}

TEST_F(EfsResponderTest, ListingTooLargeForOnePacketFailsInsteadOfBeingCut)
{
    ASSERT_EQ(fs->MakeDir({"many"}), 0);
    for (int i = 0; i < 60; ++i)
        ASSERT_EQ(fs->WriteFile({"many", std::string(40, 'a') + std::to_string(i)}, {}, {}), 0);
    EXPECT_EQ(Ask(NameRequest(sim::efsListFiles, "many")), (Bytes{0x59, 0x03, sim::efsStatusMoreRecords}));
    EXPECT_EQ(Iterate(sim::efsIterateFiles, "many").size(), 60u) << "iteration has no such limit";
}

TEST_F(EfsResponderTest, ReadDeliversBlocksWithTotalAndMoreFlag)
{
    uint32_t announced = 0;
    EXPECT_EQ(ReadWhole("/chess/chess.mod", &announced), Stored("/chess/chess.mod"));
    EXPECT_EQ(announced, 1500u);

    const Bytes first = Ask(ReadFirst("chess/chess.sig"));
    EXPECT_EQ(first[4], 0) << "a file within one block has no more flag";
    EXPECT_EQ(Le(first, 5, 4), 128u);

    ASSERT_EQ(fs->WriteFile({"empty"}, {}, {}), 0);
    const Bytes empty = Ask(ReadFirst("empty"));
    EXPECT_EQ(empty, (Bytes{0x59, 0x04, 0x00, 0x00, 0x00, 0, 0, 0, 0, 0, 0}));

    EXPECT_EQ(Ask(ReadFirst("missing.txt"))[2], sim::efsStatusFileMissing);
    EXPECT_EQ(Ask(ReadFirst("chess"))[2], sim::efsStatusFileMissing) << "a directory is not a file";
    EXPECT_EQ(Ask(ReadNext(1))[2], sim::efsStatusFileNotOpen) << "continuation of a failed read";
}

TEST_F(EfsResponderTest, ReadSequenceWrapsFrom255To1)
{
    const Bytes big = Pattern(256 * 300 + 17);
    ASSERT_EQ(fs->WriteFile({"big.bin"}, big, {}), 0);
    std::vector<uint8_t> sequences;
    EXPECT_EQ(ReadWhole("big.bin", nullptr, &sequences), big);
    ASSERT_EQ(sequences.size(), 300u);
    EXPECT_EQ(sequences[253], 254);
    EXPECT_EQ(sequences[254], 255);
    EXPECT_EQ(sequences[255], 1);
    EXPECT_EQ(sequences[299], 45);
}

TEST_F(EfsResponderTest, RepeatedReadBlockIsAnsweredAgainWithoutSkippingData)
{
    const Bytes expected = Stored("/chess/chess.mod");
    Bytes data;
    Bytes reply = Ask(ReadFirst("chess/chess.mod"));
    data.insert(data.end(), reply.begin() + 11, reply.end());
    const Bytes again = Ask(ReadFirst("chess/chess.mod"));
    EXPECT_EQ(again, reply) << "a repeated first request starts the same read over";
    uint8_t sequence = 0;
    while (reply[4] != 0) {
        sequence = sim::NextSequence(sequence);
        reply = Ask(ReadNext(sequence));
        EXPECT_EQ(Ask(ReadNext(sequence)), reply) << "duplicate of block " << int(sequence);
        data.insert(data.end(), reply.begin() + 7, reply.end());
    }
    EXPECT_EQ(data, expected);

    // A block number that skips ahead is refused.
    Ask(ReadFirst("chess/chess.mod"));
    EXPECT_EQ(Ask(ReadNext(2))[2], sim::efsStatusParameterError);
}

TEST_F(EfsResponderTest, WriteStoresBlocksAndAttributes)
{
    EXPECT_EQ(WriteWhole("/chess/new.bin", Pattern(257)), 0);
    EXPECT_EQ(Stored("chess/new.bin"), Pattern(257));
    EXPECT_EQ(WriteWhole("empty.txt", {}), 0);
    EXPECT_TRUE(Stored("empty.txt").empty());
    EXPECT_EQ(WriteWhole("notes.txt", Pattern(10)), 0) << "overwrite";
    EXPECT_EQ(Stored("notes.txt"), Pattern(10));

    const Bytes info = Ask(NameRequest(sim::efsGetAttributes, "chess/new.bin"));
    ASSERT_EQ(info.size(), 15u);
    EXPECT_EQ(info[2], 0);
    EXPECT_EQ(Le(info, 3, 2), 0x00FFu);
    EXPECT_EQ(info[5], 1);
    EXPECT_EQ(info[6], 0);
    EXPECT_GT(Le(info, 7, 4), 1000000000u) << "seconds since 1980 for a file written now";
    EXPECT_EQ(Le(info, 11, 4), 257u);
}

TEST_F(EfsResponderTest, WriteSequenceWrapsFrom255To1)
{
    const Bytes big = Pattern(256 * 300);
    EXPECT_EQ(WriteWhole("big.bin", big), 0);
    EXPECT_EQ(Stored("big.bin"), big);
    // Sequence 0 after a transfer has started is a new transfer, never block 256.
    Ask(WriteFirst("x.bin", 600, Pattern(256), true));
    Ask(WriteNext(1, Pattern(256), true));
    EXPECT_EQ(Ask(WriteNext(0, Pattern(88), false))[2], sim::efsStatusParameterError);
}

TEST_F(EfsResponderTest, DuplicateWriteBlockIsAcknowledgedNotAppended)
{
    const Bytes data = Pattern(600);
    const Bytes b0(data.begin(), data.begin() + 256), b1(data.begin() + 256, data.begin() + 512),
        b2(data.begin() + 512, data.end());
    EXPECT_EQ(Ask(WriteFirst("dup.bin", 600, b0, true))[2], 0);
    EXPECT_EQ(Ask(WriteFirst("dup.bin", 600, b0, true))[2], 0);
    EXPECT_EQ(Ask(WriteNext(1, b1, true))[2], 0);
    EXPECT_EQ(Ask(WriteNext(1, b1, true))[2], 0);
    EXPECT_EQ(Ask(WriteNext(2, b2, false))[2], 0);
    EXPECT_EQ(Ask(WriteNext(2, b2, false))[2], 0) << "a repeated last block is acknowledged again";
    EXPECT_EQ(Stored("dup.bin"), data);
}

TEST_F(EfsResponderTest, BrokenWriteKeepsTheOldFile)
{
    const Bytes old = Stored("notes.txt");
    // Fewer bytes than announced.
    EXPECT_EQ(Ask(WriteFirst("notes.txt", 300, Pattern(256), false))[2], sim::efsStatusParameterError);
    // More bytes than announced.
    Ask(WriteFirst("notes.txt", 300, Pattern(256), true));
    EXPECT_EQ(Ask(WriteNext(1, Pattern(256), false))[2], sim::efsStatusParameterError);
    // A block out of order ends the transfer; later blocks find nothing open.
    Ask(WriteFirst("notes.txt", 600, Pattern(256), true));
    EXPECT_EQ(Ask(WriteNext(2, Pattern(256), true))[2], sim::efsStatusParameterError);
    EXPECT_EQ(Ask(WriteNext(3, Pattern(88), false))[2], sim::efsStatusFileNotOpen);
    // A block length beyond the packet.
    Bytes lying = WriteFirst("notes.txt", 4, {1, 2, 3, 4}, false);
    lying.pop_back();
    lying.pop_back();
    EXPECT_EQ(Ask(lying)[2], sim::efsStatusParameterError);
    EXPECT_EQ(Stored("notes.txt"), old);
}

TEST_F(EfsResponderTest, WriteRefusals)
{
    EXPECT_EQ(WriteWhole("nodir/file.txt", Pattern(4)), sim::efsStatusDirMissing);
    EXPECT_EQ(WriteWhole("chess", Pattern(4)), sim::efsStatusIllegalOperation);
    fs->SetCapacity(fs->UsedBytes() + 480);
    EXPECT_EQ(WriteWhole("fits.bin", Pattern(400)), 0);
    EXPECT_EQ(WriteWhole("toolarge.bin", Pattern(10)), sim::efsStatusOutOfSpace);
    EXPECT_EQ(WriteWhole("fits.bin", Pattern(200)), 0) << "replacing a file reuses its space";
}

TEST_F(EfsResponderTest, DirectoryAndFileOperations)
{
    EXPECT_EQ(Ask(NameRequest(sim::efsMkDir, "newdir")), (Bytes{0x59, 0x00, 0x00}));
    EXPECT_EQ(Ask(NameRequest(sim::efsMkDir, "/newdir/"))[2], sim::efsStatusDirExists);
    EXPECT_EQ(Ask(NameRequest(sim::efsMkDir, "a/b"))[2], sim::efsStatusDirMissing);
    EXPECT_EQ(Ask(NameRequest(sim::efsRmDir, "chess"))[2], sim::efsStatusDirNotEmpty);
    EXPECT_EQ(Ask(NameRequest(sim::efsRmDir, "newdir")), (Bytes{0x59, 0x01, 0x00}));
    EXPECT_EQ(Ask(NameRequest(sim::efsRmDir, "newdir"))[2], sim::efsStatusDirMissing);
    EXPECT_EQ(Ask(NameRequest(sim::efsRemoveFile, "notes.txt")), (Bytes{0x59, 0x06, 0x00}));
    EXPECT_EQ(Ask(NameRequest(sim::efsRemoveFile, "notes.txt"))[2], sim::efsStatusFileMissing);
    EXPECT_EQ(Ask(NameRequest(sim::efsGetAttributes, "notes.txt"))[2], sim::efsStatusFileMissing);
    EXPECT_EQ(Ask(NameRequest(sim::efsRmDir, ""))[2], sim::efsStatusIllegalOperation);
}

TEST_F(EfsResponderTest, SpaceReportsFreeAndUsed)
{
    const Bytes reply = Ask({0x59, 0x0C});
    ASSERT_EQ(reply.size(), 11u);
    EXPECT_EQ(Le(reply, 3, 4) + Le(reply, 7, 4), fs->Capacity());
    EXPECT_EQ(Le(reply, 7, 4), fs->UsedBytes());
    EXPECT_EQ(fs->UsedBytes() % 240, 0u);
    behaviour.usedFigureZero = true;
    EXPECT_EQ(Le(Ask({0x59, 0x0C}), 7, 4), 0u);
}

TEST_F(EfsResponderTest, MalformedRequestsGetErrorStatuses)
{
    EXPECT_EQ(Ask({0x59, 0x06, 0x09, 'a', 0}), (Bytes{0x59, 0x06, sim::efsStatusParameterError}))
        << "name length beyond the packet";
    EXPECT_EQ(Ask({0x59, 0x06, 0x02, 'a', 'b'})[2], sim::efsStatusParameterError) << "no terminator";
    EXPECT_EQ(Ask({0x59, 0x06, 0x00})[2], sim::efsStatusParameterError) << "length 0";
    EXPECT_EQ(Ask({0x59, 0x06})[2], sim::efsStatusParameterError);
    EXPECT_EQ(Ask({0x59, 0x06, 0x04, 'a', 0, 'b', 0})[2], sim::efsStatusBadFileName) << "embedded NUL";
    EXPECT_EQ(Ask({0x59, 0x0A, 0, 0})[2], sim::efsStatusParameterError) << "short iteration";
    EXPECT_EQ(Ask({0x59, 0x05, 0x00})[2], sim::efsStatusParameterError) << "short write";
    EXPECT_EQ(Ask({0x59, 0x09}), (Bytes{0x59, 0x09, sim::efsStatusUnknownOperation}));
    EXPECT_EQ(Ask(NameRequest(sim::efsRemoveFile, "../etc/passwd"))[2], sim::efsStatusBadFileName);
    EXPECT_EQ(Ask(NameRequest(sim::efsGetAttributes, "chess/./chess.mod"))[2], sim::efsStatusBadFileName);
}

TEST_F(EfsResponderTest, FailingPathsFailOnlyThemselves)
{
    behaviour.failingPaths = {"chess/chess.sig", "/data"};
    EXPECT_EQ(Ask(NameRequest(sim::efsRemoveFile, "/chess/chess.sig"))[2], sim::efsStatusDeviceFailure);
    EXPECT_EQ(Ask(ReadFirst("chess/chess.sig"))[2], sim::efsStatusDeviceFailure);
    EXPECT_EQ(WriteWhole("chess//chess.sig", Pattern(3)), sim::efsStatusDeviceFailure);
    EXPECT_EQ(Ask(IterateRequest(sim::efsIterateFiles, 0, "data/"))[2], sim::efsStatusDeviceFailure);
    EXPECT_EQ(Ask(NameRequest(sim::efsRemoveFile, "chess/chess.bar"))[2], 0);
    EXPECT_EQ(Stored("chess/chess.sig").size(), 128u);
}

TEST_F(EfsResponderTest, NoIterationAnswersBadCommand)
{
    behaviour.noIteration = true;
    const Bytes request = IterateRequest(sim::efsIterateFiles, 0, "");
    Bytes expected{0x13};
    expected.insert(expected.end(), request.begin(), request.end());
    EXPECT_EQ(Ask(request), expected);
    EXPECT_EQ(Ask(NameRequest(sim::efsListFiles, ""))[2], 0) << "the single-request listing still works";
}

TEST_F(EfsResponderTest, HostileRepliesBreakTheirLimits)
{
    behaviour.hostileLengths = true;
    Bytes reply = Ask(NameRequest(sim::efsListDirs, ""));
    EXPECT_GT(Le(reply, 5, 2), reply.size() - 7) << "name block longer than the packet";
    reply = Ask(ReadFirst("chess/chess.mod"));
    EXPECT_GT(Le(reply, 9, 2), reply.size() - 11) << "block length longer than the packet";
    reply = Ask(IterateRequest(sim::efsIterateFiles, 0, ""));
    EXPECT_NE(reply.back(), 0) << "name runs off the end unterminated";
    behaviour.hostileLengths = false;

    behaviour.hostileLongNames = true;
    size_t longest = 0;
    for (const auto& name : Iterate(sim::efsIterateFiles, "chess"))
        longest = std::max(longest, name.size());
    EXPECT_GT(longest, 60u);
    behaviour.hostileLongNames = false;

    behaviour.hostileManyEntries = true;
    EXPECT_GT(Iterate(sim::efsIterateFiles, "").size(), 100u);
    EXPECT_GT(Iterate(sim::efsIterateDirs, "").size(), 100u);
    behaviour.hostileManyEntries = false;

    behaviour.hostileReadOverrun = true;
    uint32_t announced = 0;
    const Bytes data = ReadWhole("chess/chess.mod", &announced);
    EXPECT_GT(data.size(), announced);
    ASSERT_EQ(fs->WriteFile({"empty"}, {}, {}), 0);
    reply = Ask(ReadFirst("empty"));
    EXPECT_EQ(Le(reply, 5, 4), 0u);
    EXPECT_GT(reply.size(), 11u) << "an empty file still sends data";
}

}  // namespace
