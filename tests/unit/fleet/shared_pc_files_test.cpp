// Sessions of one run read a PC file from the disk once and share the bytes; a session of its
// own reads the disk as always.
#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "platform/pc_file.h"
#include "platform/session_context.h"
#include "platform/shared_pc_files.h"
#include "support/scratch.h"

namespace {

void Write(const std::filesystem::path& file, const std::string& text)
{
    std::ofstream(file, std::ios::binary) << text;
}

std::string ReadThrough(const std::filesystem::path& file)
{
    auto reader = CPcFileReader::Open(file.string());
    if (!reader)
        return "(cannot open)";
    std::vector<uint8_t> bytes(static_cast<size_t>(reader->Size()));
    bytes.resize(reader->Read(bytes));
    return std::string(bytes.begin(), bytes.end());
}

TEST(SharedPcFiles, SessionsOfOneRunReadEachFileOnce)
{
    rig::CScratch pc;
    const auto file = pc.Path() / "chess.mod";
    Write(file, "first contents");
    CSharedPcFiles shared;
    CSessionContext one;
    CSessionContext two;
    one.sharedPcFiles = &shared;
    two.sharedPcFiles = &shared;
    {
        CSessionContextScope scope(one);
        EXPECT_EQ(ReadThrough(file), "first contents");
    }
    Write(file, "second contents, longer");
    {
        CSessionContextScope scope(two);
        EXPECT_EQ(ReadThrough(file), "first contents");
        EXPECT_EQ(ReadThrough(pc.Path() / "missing.mod"), "(cannot open)");
    }
    EXPECT_EQ(shared.Reads(), 2u);  // chess.mod once, and the missing file's attempt
    EXPECT_EQ(ReadThrough(file), "second contents, longer");  // the process context shares nothing
}

}  // namespace
