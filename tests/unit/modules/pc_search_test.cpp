#include "modules/pc_search.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

class PcSearchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/vant-pcsearch-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }
    void Touch(const std::string& name) { std::ofstream(dir_ + "/" + name) << "x"; }

    std::string dir_;
};

TEST_F(PcSearchTest, PatternsIgnoreLetterCaseAndSkipDirectories)
{
    Touch("chess.mod");
    Touch("CHESS.SIG");
    Touch("notes.txt");
    Touch("b.Mod");
    fs::create_directory(dir_ + "/folder.mod");
    EXPECT_EQ(FindPcFiles(dir_, "*.mod"), (std::vector<std::string>{"b.Mod", "chess.mod"}));
    EXPECT_EQ(FindPcFiles(dir_, "*.sig"), (std::vector<std::string>{"CHESS.SIG"}));
    EXPECT_TRUE(FindPcFiles(dir_, "*.bar").empty());
    EXPECT_TRUE(FindPcFiles(dir_ + "/missing", "*.mod").empty());
}

TEST_F(PcSearchTest, CountMifFilesNamesTheSingleOne)
{
    std::string name;
    EXPECT_EQ(CountMifFiles(dir_, &name), mifCountNone);
    Touch("Chess.MIF");
    EXPECT_EQ(CountMifFiles(dir_, &name), mifCountOne);
    EXPECT_EQ(name, "Chess.MIF");
    Touch("other.mif");
    EXPECT_EQ(CountMifFiles(dir_), mifCountMany);
}

TEST(PcSearch, ExtensionsAreCutAndMatchedWithoutCase)
{
    EXPECT_EQ(CutAtExtension("chess.MOD", ".mod"), "chess");
    EXPECT_EQ(CutAtExtension("a.mod.mod", ".mod"), "a");
    EXPECT_EQ(CutAtExtension("readme", ".mod"), "readme");
    EXPECT_TRUE(HasExtension("Chess.MIF", ".mif"));
    EXPECT_FALSE(HasExtension("mif", ".mif"));
    EXPECT_EQ(JoinPcPath("/a/", "b"), "/a/b");
    EXPECT_EQ(JoinPcPath("/a", "b"), "/a/b");
}

}  // namespace
