// Space accounting: the allocation rule and the PC-side sizes over a real temporary tree.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "efs/pc_sizes.h"
#include "support/scratch.h"

namespace fs = std::filesystem;

namespace {

class PcTree : public ::testing::Test {
protected:
    void WriteFile(const fs::path& relative, size_t size)
    {
        fs::create_directories((root / relative).parent_path());
        std::ofstream(root / relative, std::ios::binary) << std::string(size, 'x');
    }
    rig::CScratch scratch;
    const fs::path root = scratch.Path();
};

}  // namespace

TEST(EfsAllocatedSize, SizePlusOverheadRoundedUpTo240)
{
    EXPECT_EQ(EfsAllocatedSize(0), 240u);
    EXPECT_EQ(EfsAllocatedSize(206), 240u);
    EXPECT_EQ(EfsAllocatedSize(207), 480u);
    EXPECT_EQ(EfsAllocatedSize(446), 480u);
    EXPECT_EQ(EfsAllocatedSize(1000), 1200u);
    // Sizes near and above 4 GiB do not wrap.
    EXPECT_EQ(EfsAllocatedSize(0xFFFFFFFFull), 0x1000000E0ull);
    EXPECT_EQ(EfsAllocatedSize(0xFFFFFFFFull) % 240, 0u);
}

TEST_F(PcTree, FileSizeOfFilesDirectoriesAndPatterns)
{
    WriteFile("mod/app.mod", 1234);
    WriteFile("mod/b.SIG", 10);
    WriteFile("mod/a.sig", 20);
    EXPECT_EQ(PcFileSize((root / "mod/app.mod").string()), 1234u);
    EXPECT_EQ(PcFileSize((root / "mod").string()), 0u);
    EXPECT_EQ(PcFileSize((root / "mod/missing").string()), 0u);
    EXPECT_EQ(PcFileSize(""), 0u);
    EXPECT_EQ(PcFileSize((root / "mod/*.MOD").string()), 1234u) << "patterns ignore case";
    EXPECT_EQ(PcFileSize((root / "mod/*.sig").string()), 20u) << "first match in name order";
    EXPECT_EQ(PcFileSize((root / "mod/*.bar").string()), 0u);
}

TEST_F(PcTree, TreeAllocatedSizeCountsFilesOnly)
{
    WriteFile("empty", 0);
    fs::create_directory(root / "sub");
    EXPECT_EQ(PcTreeAllocatedSize(root.string()), 240u);

    WriteFile("sub/deeper/x", 207);
    WriteFile("sub/y", 1000);
    EXPECT_EQ(PcTreeAllocatedSize(root.string()), 240u + 480u + 1200u);
    EXPECT_EQ(PcTreeAllocatedSize((root / "sub").string() + "/"), 480u + 1200u);
    EXPECT_EQ(PcTreeAllocatedSize((root / "empty").string()), 0u) << "a file is no directory";
    EXPECT_EQ(PcTreeAllocatedSize((root / "nothing").string()), 0u);
}

TEST_F(PcTree, DirectoryLinksAreNotFollowedFileLinksCount)
{
    WriteFile("d/f", 10);
    fs::create_directory_symlink(root, root / "d/loop");  // would recurse forever if followed
    fs::create_symlink(root / "d/f", root / "d/alias");
    EXPECT_EQ(PcTreeAllocatedSize((root / "d").string()), 240u + 240u);
}
