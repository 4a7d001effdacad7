// "SIM:DIR": the handset's file system is a PC directory, and no device path reaches outside it.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "efs_requests.h"
#include "sim/directory_file_system.h"
#include "sim/efs_responder.h"
#include "support/scratch.h"

using namespace simtest;
namespace fs = std::filesystem;

namespace {

class DirectoryFileSystemTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(root / "sub");
        fs::create_directories(outside);
        std::ofstream(outside / "secret.txt") << "secret";
        std::ofstream(root / "sub" / "inner.txt") << "inner";
        fileSystem = sim::CDirectoryFileSystem::Open(root);
        ASSERT_NE(fileSystem, nullptr);
        efs = std::make_unique<sim::CEfsResponder>(*fileSystem);
    }

    Bytes Ask(const Bytes& request) { return efs->Handle(request, behaviour); }
    uint8_t Status(const Bytes& request) { return Ask(request).at(2); }

    rig::CScratch scratch;
    const fs::path root = scratch.Path() / "served", outside = scratch.Path() / "outside";
    std::unique_ptr<sim::CDirectoryFileSystem> fileSystem;
    std::unique_ptr<sim::CEfsResponder> efs;
    sim::SimBehaviour behaviour;
};

// Every way out of the served directory: climbing, links to files and directories outside,
// a dangling link, and a pipe that would block a read. Nothing outside changes.
TEST_F(DirectoryFileSystemTest, NothingReachesOutsideTheDirectory)
{
    fs::create_directory_symlink(outside, root / "out");
    fs::create_symlink(outside / "secret.txt", root / "secret.txt");
    fs::create_symlink(outside / "planted.txt", root / "dangling.txt");
    ASSERT_EQ(::mkfifo((root / "pipe").c_str(), 0600), 0);
    const std::pair<Bytes, uint8_t> cases[] = {
        {ReadFirst("../outside/secret.txt"), sim::efsStatusBadFileName},
        {WriteFirst("../outside/new.txt", 1, {'x'}, false), sim::efsStatusBadFileName},
        {NameRequest(sim::efsMkDir, "sub/../../escape"), sim::efsStatusBadFileName},
        {ReadFirst("secret.txt"), sim::efsStatusIllegalOperation},
        {ReadFirst("out/secret.txt"), sim::efsStatusIllegalOperation},
        {WriteFirst("out/new.txt", 1, {'x'}, false), sim::efsStatusIllegalOperation},
        {WriteFirst("dangling.txt", 1, {'x'}, false), sim::efsStatusIllegalOperation},
        {WriteFirst("secret.txt", 1, {'x'}, false), sim::efsStatusIllegalOperation},
        {NameRequest(sim::efsMkDir, "out/dir"), sim::efsStatusIllegalOperation},
        {NameRequest(sim::efsRemoveFile, "out/secret.txt"), sim::efsStatusIllegalOperation},
        {IterateRequest(sim::efsIterateFiles, 0, "out"), sim::efsStatusIllegalOperation},
        {NameRequest(sim::efsGetAttributes, "secret.txt"), sim::efsStatusIllegalOperation},
        {ReadFirst("pipe"), sim::efsStatusFileMissing},
        {IterateRequest(sim::efsIterateDirs, 1, ""), sim::efsStatusEnumerationDone},  // only sub
    };
    for (const auto& [request, status] : cases)
        EXPECT_EQ(Status(request), status) << int(request[1]);
    EXPECT_EQ(Ask(NameRequest(sim::efsListFiles, "")).size(), 7u) << "links out and pipes are not listed";
    EXPECT_EQ(std::vector<fs::path>(fs::directory_iterator(outside), {}), std::vector<fs::path>{outside / "secret.txt"});
    EXPECT_EQ(rig::ReadText(outside / "secret.txt"), "secret");
    EXPECT_FALSE(fs::exists(scratch.Path() / "escape"));
    EXPECT_EQ(sim::CDirectoryFileSystem::Open(outside / "secret.txt"), nullptr) << "not a directory";
    EXPECT_EQ(sim::CDirectoryFileSystem::Open(scratch.Path() / "missing"), nullptr);
}

}  // namespace
