// Byte-level tests of the handset's EFS replies over the in-memory file system.
#include <gtest/gtest.h>

#include "efs_requests.h"
#include "sim/demo_tree.h"
#include "sim/efs_responder.h"

using namespace simtest;

namespace {

class EfsResponderTest : public ::testing::Test {
protected:
    std::unique_ptr<sim::CMemoryFileSystem> fs = sim::MakeDemoFileSystem();
    sim::CEfsResponder efs{*fs};
    sim::SimBehaviour behaviour;

    Bytes Ask(const Bytes& request) { return efs.Handle(request, behaviour); }
    uint8_t Status(const Bytes& request) { return Ask(request).at(2); }

    Bytes Stored(const std::string& path)
    {
        Bytes data;
        EXPECT_EQ(fs->ReadFile(*sim::ParseDevicePath(path), data), sim::efsStatusOk) << path;
        return data;
    }
};

TEST_F(EfsResponderTest, ListingTooLargeForOnePacketFailsInsteadOfBeingCut)
{
    ASSERT_EQ(fs->MakeDir({"many"}), 0);
    for (int i = 0; i < 60; ++i)
        ASSERT_EQ(fs->WriteFile({"many", std::string(40, 'a') + std::to_string(i)}, {}, {}), 0);
    EXPECT_EQ(Ask(NameRequest(sim::efsListFiles, "many")), (Bytes{0x59, 0x03, sim::efsStatusMoreRecords}));
    EXPECT_EQ(Status(IterateRequest(sim::efsIterateFiles, 59, "many")), 0) << "iteration has no such limit";
    EXPECT_EQ(Status(IterateRequest(sim::efsIterateFiles, 60, "many")), sim::efsStatusEnumerationDone);
}

TEST_F(EfsResponderTest, RepeatedReadBlockIsAnsweredAgainWithoutSkippingData)
{
    const Bytes expected = Stored("/chess/chess.mod");
    Bytes data;
    Bytes reply = Ask(ReadFirst("chess/chess.mod"));
    data.insert(data.end(), reply.begin() + 11, reply.end());
    EXPECT_EQ(Ask(ReadFirst("chess/chess.mod")), reply) << "a repeated first request starts the same read over";
    uint8_t sequence = 0;
    while (reply[4] != 0) {
        sequence = sim::NextSequence(sequence);
        reply = Ask(ReadNext(sequence));
        EXPECT_EQ(Ask(ReadNext(sequence)), reply) << "duplicate of block " << int(sequence);
        // A retry after a lost reply may follow other requests, so the block itself is kept.
        Ask({0x59, 0x0C});
        EXPECT_EQ(Ask(ReadNext(sequence)), reply) << "retry of block " << int(sequence);
        data.insert(data.end(), reply.begin() + 7, reply.end());
    }
    EXPECT_EQ(data, expected);
    Ask(ReadFirst("chess/chess.mod"));
    EXPECT_EQ(Status(ReadNext(2)), sim::efsStatusParameterError) << "a block number that skips ahead";
}

TEST_F(EfsResponderTest, BrokenOrRefusedWritesKeepTheOldFile)
{
    const Bytes old = Stored("notes.txt");
    const Bytes block(256, 7);
    Bytes lying = WriteFirst("notes.txt", 4, {1, 2, 3, 4}, false);
    lying.resize(lying.size() - 2);  // a block length beyond the packet
    // Each write in turn: its requests, and the status of the last.
    const std::pair<std::vector<Bytes>, uint8_t> writes[] = {
        {{WriteFirst("notes.txt", 300, block, false)}, sim::efsStatusParameterError},  // fewer bytes than announced
        {{WriteFirst("notes.txt", 300, block, true), WriteNext(1, block, false)}, sim::efsStatusParameterError},
        {{WriteFirst("notes.txt", 600, block, true), WriteNext(2, block, true)}, sim::efsStatusParameterError},
        {{WriteNext(3, Bytes(88, 1), false)}, sim::efsStatusFileNotOpen},  // a block out of order ended it
        {{lying}, sim::efsStatusParameterError},
        // Sequence 0 after a transfer has started is a new transfer, never block 256.
        {{WriteFirst("notes.txt", 600, block, true), WriteNext(1, block, true), WriteNext(0, Bytes(88, 1), false)},
         sim::efsStatusParameterError},
    };
    for (const auto& [requests, status] : writes) {
        for (size_t i = 0; i + 1 < requests.size(); ++i)
            Ask(requests[i]);
        EXPECT_EQ(Status(requests.back()), status) << requests.size();
    }
    EXPECT_EQ(Stored("notes.txt"), old);

    fs->SetCapacity(fs->UsedBytes() + 240);
    EXPECT_EQ(Status(WriteFirst("fits.bin", 200, Bytes(200, 1), false)), 0);
    EXPECT_EQ(Status(WriteFirst("full.bin", 1, {1}, false)), sim::efsStatusOutOfSpace);
    EXPECT_EQ(Status(WriteFirst("fits.bin", 200, Bytes(200, 2), false)), 0) << "replacing a file reuses its space";
}

// A strict handset keeps a write open until its last block or a reset: a remove or a stray block
// does not close it and a new write is refused meanwhile; a last block sent early closes it,
// keeping the old file. A block limit refuses longer writes part-way.
TEST_F(EfsResponderTest, StrictWritesStayOpenUntilTheirLastBlock)
{
    const Bytes old = Stored("notes.txt");
    const Bytes block(256, 7);
    behaviour.strictWrites = true;
    const std::tuple<const char*, Bytes, uint8_t> steps[] = {
        {"open", WriteFirst("notes.txt", 1000, block, true), 0},
        {"remove", NameRequest(sim::efsRemoveFile, "other.txt"), sim::efsStatusFileMissing},
        {"another write", WriteFirst("other.txt", 1, {1}, false), sim::efsStatusIllegalOperation},
        {"out of order", WriteNext(3, block, true), sim::efsStatusParameterError},
        {"still open", WriteNext(1, block, true), 0},
        {"ended early", WriteNext(2, block, false), sim::efsStatusParameterError},
        {"closed", WriteFirst("other.txt", 1, {1}, false), 0},
        {"open again", WriteFirst("notes.txt", 1000, block, true), 0},
    };
    for (const auto& [what, request, status] : steps)
        EXPECT_EQ(Status(request), status) << what;
    EXPECT_EQ(Stored("notes.txt"), old);
    efs.Reset();
    EXPECT_EQ(Status(WriteFirst("other.txt", 1, {2}, false)), 0) << "a reset closes the write";

    behaviour = {};
    behaviour.writeBlockLimit = 2;
    EXPECT_EQ(Status(WriteFirst("b.bin", 512, block, true)), 0);
    EXPECT_EQ(Status(WriteNext(1, block, false)), 0) << "two blocks are allowed";
    EXPECT_EQ(Status(WriteFirst("c.bin", 600, block, true)), 0);
    EXPECT_EQ(Status(WriteNext(1, block, true)), 0);
    EXPECT_EQ(Status(WriteNext(2, Bytes(88, 1), false)), sim::efsStatusDeviceFailure);
    EXPECT_EQ(Status(WriteNext(3, Bytes(88, 1), false)), sim::efsStatusFileNotOpen);
}

// Requests on the demo tree in turn and the status each gets: refusals of the directory and
// file operations, and malformed or climbing names, which must never reach the file system.
TEST_F(EfsResponderTest, EveryRequestGetsItsStatus)
{
    const std::tuple<const char*, Bytes, uint8_t> cases[] = {
        {"make", NameRequest(sim::efsMkDir, "newdir"), 0},
        {"make again", NameRequest(sim::efsMkDir, "/newdir/"), sim::efsStatusDirExists},
        {"make without parent", NameRequest(sim::efsMkDir, "a/b"), sim::efsStatusDirMissing},
        {"remove full", NameRequest(sim::efsRmDir, "chess"), sim::efsStatusDirNotEmpty},
        {"remove", NameRequest(sim::efsRmDir, "newdir"), 0},
        {"remove again", NameRequest(sim::efsRmDir, "newdir"), sim::efsStatusDirMissing},
        {"remove root", NameRequest(sim::efsRmDir, ""), sim::efsStatusIllegalOperation},
        {"delete", NameRequest(sim::efsRemoveFile, "notes.txt"), 0},
        {"delete again", NameRequest(sim::efsRemoveFile, "notes.txt"), sim::efsStatusFileMissing},
        {"attributes of nothing", NameRequest(sim::efsGetAttributes, "notes.txt"), sim::efsStatusFileMissing},
        {"read a directory", ReadFirst("chess"), sim::efsStatusFileMissing},
        {"continue a failed read", ReadNext(1), sim::efsStatusFileNotOpen},
        {"write without directory", WriteFirst("nodir/file.txt", 1, {1}, false), sim::efsStatusDirMissing},
        {"write over a directory", WriteFirst("chess", 1, {1}, false), sim::efsStatusIllegalOperation},
        {"name beyond the packet", {0x59, 0x06, 0x09, 'a', 0}, sim::efsStatusParameterError},
        {"no terminator", {0x59, 0x06, 0x02, 'a', 'b'}, sim::efsStatusParameterError},
        {"name length 0", {0x59, 0x06, 0x00}, sim::efsStatusParameterError},
        {"no name", {0x59, 0x06}, sim::efsStatusParameterError},
        {"embedded NUL", {0x59, 0x06, 0x04, 'a', 0, 'b', 0}, sim::efsStatusBadFileName},
        {"short iteration", {0x59, 0x0A, 0, 0}, sim::efsStatusParameterError},
        {"short write", {0x59, 0x05, 0x00}, sim::efsStatusParameterError},
        {"unknown subcommand", {0x59, 0x09}, sim::efsStatusUnknownOperation},
        {"climbing", NameRequest(sim::efsRemoveFile, "../etc/passwd"), sim::efsStatusBadFileName},
        {"dot", NameRequest(sim::efsGetAttributes, "chess/./chess.mod"), sim::efsStatusBadFileName},
        {"iteration far past the end", IterateRequest(sim::efsIterateFiles, 0xFFFFFFFF, ""),
         sim::efsStatusEnumerationDone},
    };
    for (const auto& [what, request, status] : cases) {
        const Bytes reply = Ask(request);
        ASSERT_GE(reply.size(), 3u) << what;
        EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 2), Bytes(request.begin(), request.begin() + 2)) << what;
        EXPECT_EQ(reply[2], status) << what;
    }
}

}  // namespace
