// "SIM:DIR": the handset's file system is a PC directory, and no device path reaches outside it.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "efs_requests.h"
#include "sim/directory_file_system.h"
#include "sim/efs_responder.h"

using namespace simtest;
namespace fs = std::filesystem;

namespace {

class DirectoryFileSystemTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "vant-simdir-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        base = pattern;
        root = base / "served";
        outside = base / "outside";
        fs::create_directories(root / "sub");
        fs::create_directories(outside);
        WriteText(outside / "secret.txt", "secret");
        WriteText(root / "sub" / "inner.txt", "inner");
        fileSystem = sim::CDirectoryFileSystem::Open(root);
        ASSERT_NE(fileSystem, nullptr);
        efs = std::make_unique<sim::CEfsResponder>(*fileSystem);
    }
    void TearDown() override { fs::remove_all(base); }

    static void WriteText(const fs::path& path, const std::string& text) { std::ofstream(path) << text; }
    static std::string ReadText(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::string content(4096, '\0');
        in.read(content.data(), static_cast<std::streamsize>(content.size()));
        content.resize(static_cast<size_t>(in.gcount()));
        return content;
    }

    Bytes Ask(const Bytes& request) { return efs->Handle(request, behaviour); }
    uint8_t Status(const Bytes& request) { return Ask(request).at(2); }

    fs::path base, root, outside;
    std::unique_ptr<sim::CDirectoryFileSystem> fileSystem;
    std::unique_ptr<sim::CEfsResponder> efs;
    sim::SimBehaviour behaviour;
};

TEST_F(DirectoryFileSystemTest, WrittenFilesAndDirectoriesLandInTheDirectory)
{
    EXPECT_EQ(Status(NameRequest(sim::efsMkDir, "/chess")), 0);
    EXPECT_TRUE(fs::is_directory(root / "chess"));
    const Bytes data(300, 'q');
    EXPECT_EQ(Status(WriteFirst("chess/chess.mod", 300, Bytes(data.begin(), data.begin() + 256), true)), 0);
    EXPECT_FALSE(fs::exists(root / "chess" / "chess.mod")) << "nothing appears before the last block";
    EXPECT_EQ(Status(WriteNext(1, Bytes(data.begin() + 256, data.end()), false)), 0);
    EXPECT_EQ(ReadText(root / "chess" / "chess.mod"), std::string(300, 'q'));
    EXPECT_EQ(fs::directory_iterator(root / "chess")->path().filename(), "chess.mod") << "no temporary left";

    const Bytes reply = Ask(ReadFirst("/sub/inner.txt"));
    EXPECT_EQ(std::string(reply.begin() + 11, reply.end()), "inner");
    EXPECT_EQ(IteratedName(Ask(IterateRequest(sim::efsIterateFiles, 0, "sub"))), "/sub/inner.txt");
    EXPECT_EQ(Status(NameRequest(sim::efsRemoveFile, "sub/inner.txt")), 0);
    EXPECT_FALSE(fs::exists(root / "sub" / "inner.txt"));
    EXPECT_EQ(Status(NameRequest(sim::efsRmDir, "sub")), 0);
    EXPECT_FALSE(fs::exists(root / "sub"));

    const Bytes space = Ask({0x59, 0x0C});
    EXPECT_EQ(Le(space, 7, 4), sim::AllocatedBytes(300));
}

TEST_F(DirectoryFileSystemTest, ClimbingOutWithDotDotIsRefused)
{
    EXPECT_NE(Status(ReadFirst("../outside/secret.txt")), 0);
    EXPECT_NE(Status(WriteFirst("../outside/new.txt", 1, {'x'}, false)), 0);
    EXPECT_NE(Status(NameRequest(sim::efsMkDir, "sub/../../escape")), 0);
    EXPECT_NE(Status(NameRequest(sim::efsRemoveFile, "/../outside/secret.txt")), 0);
    EXPECT_FALSE(fs::exists(outside / "new.txt"));
    EXPECT_FALSE(fs::exists(base / "escape"));
    EXPECT_TRUE(fs::exists(outside / "secret.txt"));
}

TEST_F(DirectoryFileSystemTest, SymbolicLinksLeadingOutsideAreRefused)
{
    fs::create_directory_symlink(outside, root / "out");
    fs::create_symlink(outside / "secret.txt", root / "secret.txt");
    fs::create_symlink(outside / "planted.txt", root / "dangling.txt");

    EXPECT_EQ(Status(ReadFirst("secret.txt")), sim::efsStatusIllegalOperation);
    EXPECT_EQ(Status(ReadFirst("out/secret.txt")), sim::efsStatusIllegalOperation);
    EXPECT_EQ(Status(WriteFirst("out/new.txt", 1, {'x'}, false)), sim::efsStatusIllegalOperation);
    EXPECT_EQ(Status(WriteFirst("dangling.txt", 1, {'x'}, false)), sim::efsStatusIllegalOperation);
    EXPECT_EQ(Status(WriteFirst("secret.txt", 1, {'x'}, false)), sim::efsStatusIllegalOperation);
    EXPECT_EQ(Status(NameRequest(sim::efsMkDir, "out/dir")), sim::efsStatusIllegalOperation);
    EXPECT_EQ(Status(NameRequest(sim::efsRemoveFile, "out/secret.txt")), sim::efsStatusIllegalOperation);
    EXPECT_EQ(Status(IterateRequest(sim::efsIterateFiles, 0, "out")), sim::efsStatusIllegalOperation);
    EXPECT_EQ(Status(NameRequest(sim::efsGetAttributes, "secret.txt")), sim::efsStatusIllegalOperation);

    EXPECT_FALSE(fs::exists(outside / "new.txt"));
    EXPECT_FALSE(fs::exists(outside / "planted.txt"));
    EXPECT_FALSE(fs::exists(outside / "dir"));
    EXPECT_EQ(ReadText(outside / "secret.txt"), "secret");

    // Links out are not part of the listings either.
    const Bytes files = Ask(NameRequest(sim::efsListFiles, ""));
    EXPECT_EQ(Le(files, 5, 2), 0u);
    EXPECT_EQ(Status(IterateRequest(sim::efsIterateDirs, 1, "")), sim::efsStatusEnumerationDone) << "only sub";
}

TEST_F(DirectoryFileSystemTest, SymbolicLinksInsideWorkAndRemovingOneKeepsItsTarget)
{
    fs::create_directory_symlink(root / "sub", root / "alias");
    fs::create_symlink(root / "sub" / "inner.txt", root / "inner-link.txt");
    const Bytes reply = Ask(ReadFirst("alias/inner.txt"));
    ASSERT_EQ(reply.at(2), 0);
    EXPECT_EQ(std::string(reply.begin() + 11, reply.end()), "inner");
    EXPECT_EQ(Status(NameRequest(sim::efsRemoveFile, "inner-link.txt")), 0);
    EXPECT_FALSE(fs::is_symlink(root / "inner-link.txt"));
    EXPECT_EQ(ReadText(root / "sub" / "inner.txt"), "inner");
    EXPECT_EQ(Status(NameRequest(sim::efsRmDir, "alias")), sim::efsStatusIllegalOperation);
    EXPECT_TRUE(fs::exists(root / "sub" / "inner.txt"));
}

TEST_F(DirectoryFileSystemTest, SpecialFilesAreNeitherListedNorRead)
{
    ASSERT_EQ(::mkfifo((root / "pipe").c_str(), 0600), 0);
    EXPECT_EQ(Status(ReadFirst("pipe")), sim::efsStatusFileMissing) << "returns at once instead of blocking";
    const Bytes files = Ask(NameRequest(sim::efsListFiles, ""));
    EXPECT_EQ(Le(files, 5, 2), 0u);
}

TEST_F(DirectoryFileSystemTest, OpenRefusesWhatIsNotADirectory)
{
    EXPECT_EQ(sim::CDirectoryFileSystem::Open(outside / "secret.txt"), nullptr);
    EXPECT_EQ(sim::CDirectoryFileSystem::Open(base / "missing"), nullptr);
}

}  // namespace
