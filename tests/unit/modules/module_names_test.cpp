// Module names as typed and PC file names as searched; the console tests show the messages.
#include <gtest/gtest.h>

#include "modules/module_name.h"
#include "modules/pc_search.h"

namespace {

TEST(ParseModuleName, KeepsOneSegmentWithoutSpacesOrOneSlashEachSide)
{
    const std::pair<std::string, std::string> usable[] = {
        {"chess", "chess"}, {"  chess  ", "chess"}, {"/chess", "chess"}, {"chess/", "chess"}, {" big game ", "big game"}};
    for (const auto& [typed, parsed] : usable) {
        std::string name = typed;
        EXPECT_TRUE(ParseModuleName(name)) << '"' << typed << '"';
        EXPECT_EQ(name, parsed);
    }
    for (std::string typed : {"", "   ", "/", "//", "a/b", "//chess", "chess//", ".", "..", " /../ "})
        EXPECT_FALSE(ParseModuleName(typed)) << '"' << typed << '"';
}

TEST(PcSearch, ExtensionsAreCutAndMatchedWithoutCaseAndPathsJoinedOnce)
{
    EXPECT_EQ(CutAtExtension("chess.MOD", ".mod"), "chess");
    EXPECT_EQ(CutAtExtension("a.mod.mod", ".mod"), "a");
    EXPECT_EQ(CutAtExtension("readme", ".mod"), "readme");
    EXPECT_TRUE(HasExtension("Chess.MIF", ".mif"));
    EXPECT_FALSE(HasExtension("mif", ".mif"));
    EXPECT_EQ(JoinPcPath("/a/", "b"), "/a/b");
    EXPECT_EQ(JoinPcPath("/a", "b"), "/a/b");
    EXPECT_TRUE(FindPcFiles("/nonexistent/folder", "*.mod").empty());
}

}  // namespace
