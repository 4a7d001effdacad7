// Space accounting: the PC-side sizes over a real temporary tree, by the allocation rule.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "efs/pc_sizes.h"
#include "support/scratch.h"

namespace fs = std::filesystem;

TEST(PcSizes, FilesPatternsAndTreesWithoutFollowingDirectoryLinks)
{
    rig::CScratch scratch;
    const fs::path root = scratch.Path();
    for (const auto& [file, size] : {std::pair{"mod/app.mod", 1234}, {"mod/b.SIG", 10}, {"mod/a.sig", 20},
                                     {"t/empty", 0}, {"t/sub/deeper/x", 207}, {"t/sub/y", 1000}}) {
        fs::create_directories((root / file).parent_path());
        std::ofstream(root / file) << std::string(static_cast<size_t>(size), 'x');
    }
    const std::pair<std::string, uint64_t> files[] = {
        {"mod/app.mod", 1234}, {"mod", 0}, {"mod/missing", 0}, {"mod/*.MOD", 1234},  // patterns ignore case
        {"mod/*.sig", 20},  // first match in name order
        {"mod/*.bar", 0},
    };
    for (const auto& [file, size] : files)
        EXPECT_EQ(PcFileSize((root / file).string()), size) << file;
    EXPECT_EQ(PcFileSize(""), 0u);

    std::error_code noLinks;
    fs::create_directory_symlink(root, root / "t/sub/loop", noLinks);  // would recurse forever if followed
    if (noLinks)
        GTEST_SKIP() << "no symbolic links on this system";  // (Wine)
    fs::create_symlink(root / "t/sub/y", root / "t/alias");  // a file link counts
    const std::pair<std::string, uint64_t> trees[] = {
        {"t", 240 + 480 + 1200 + 1200}, {"t/sub/", 480 + 1200}, {"t/empty", 0},  // a file is no directory
        {"nothing", 0},
    };
    for (const auto& [tree, size] : trees)
        EXPECT_EQ(PcTreeAllocatedSize((root / tree).string()), size) << tree;
    EXPECT_EQ(EfsAllocatedSize(0xFFFFFFFFull), 0x1000000E0ull) << "the largest size does not wrap";
}
