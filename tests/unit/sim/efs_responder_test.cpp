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

TEST_F(EfsResponderTest, ListingTooLargeForOnePacketFailsInsteadOfBeingCut)
{
    ASSERT_EQ(fs->MakeDir({"many"}), 0);
    for (int i = 0; i < 60; ++i)
        ASSERT_EQ(fs->WriteFile({"many", std::string(40, 'a') + std::to_string(i)}, {}, {}), 0);
    EXPECT_EQ(Ask(NameRequest(sim::efsListFiles, "many")), (Bytes{0x59, 0x03, sim::efsStatusMoreRecords}));
    EXPECT_EQ(Iterate(sim::efsIterateFiles, "many").size(), 60u) << "iteration has no such limit";
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
        // A retry after a lost reply may follow other requests, so the block itself is kept.
        Ask({0x59, 0x0C});
        EXPECT_EQ(Ask(ReadNext(sequence)), reply) << "retry of block " << int(sequence);
        data.insert(data.end(), reply.begin() + 7, reply.end());
    }
    EXPECT_EQ(data, expected);

    // A block number that skips ahead is refused.
    Ask(ReadFirst("chess/chess.mod"));
    EXPECT_EQ(Ask(ReadNext(2))[2], sim::efsStatusParameterError);
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
    // Sequence 0 after a transfer has started is a new transfer, never block 256.
    Ask(WriteFirst("notes.txt", 600, Pattern(256), true));
    Ask(WriteNext(1, Pattern(256), true));
    EXPECT_EQ(Ask(WriteNext(0, Pattern(88), false))[2], sim::efsStatusParameterError);
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

// Requests on the demo tree and the status each gets: refusals of the directory and file
// operations, and malformed or climbing names, which must never reach the file system.
struct StatusCase {
    const char* what;
    Bytes request;
    uint8_t status;
};

TEST_F(EfsResponderTest, EveryRequestGetsItsStatus)
{
    const StatusCase cases[] = {
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
    for (const StatusCase& c : cases) {
        const Bytes reply = Ask(c.request);
        ASSERT_GE(reply.size(), 3u) << c.what;
        EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 2), Bytes(c.request.begin(), c.request.begin() + 2)) << c.what;
        EXPECT_EQ(reply[2], c.status) << c.what;
    }
}

}  // namespace
