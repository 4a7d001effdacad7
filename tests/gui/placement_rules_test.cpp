// The rules behind drops and New File, and the module list built from the root's rows.
#include <gtest/gtest.h>

#include <limits>

#include "ui/drop_placement.h"
#include "ui/module_cache.h"

namespace {

// The drop and New File cases the window tests do not reach; the window tests drive the rest.
TEST(DropPlacement, ExtensionsMatchWithoutCaseAndOnlyAtTheEnd)
{
    EXPECT_EQ(PlanDrop("/pc/a.mif.txt", false, mifCountNone, "", "/", true).refusal, 31);
    const CDropPlan module = PlanDrop("/pc/chess", true, mifCountOne, "Chess.MIF", "/", true);
    EXPECT_EQ(module.action, DropAction::loadModule);
    EXPECT_EQ(module.moduleName, "Chess");
}

TEST(DropPlacement, NewFileListTargetsAndContainingDirectories)
{
    EXPECT_EQ(CheckNewFilePlacement("/f.mif", true), 0);
    EXPECT_EQ(CheckNewFilePlacement("/F.MIF", true), 0);
    EXPECT_EQ(CheckNewFilePlacement("/f.txt", true), 31);
    EXPECT_EQ(CheckNewFilePlacement("/sub/F.Mif", false), 30);
    EXPECT_EQ(CheckNewFilePlacement("/sub/f.txt", false), 0);

    EXPECT_EQ(ListDropTargetFor({}), ListDropTarget::selectedNode);
    EXPECT_EQ(ListDropTargetFor({ItemKind::module}), ListDropTarget::selectedRowDirectory);
    EXPECT_EQ(ListDropTargetFor({ItemKind::file}), ListDropTarget::ignore);
    EXPECT_EQ(ListDropTargetFor({ItemKind::directory, ItemKind::directory}),
              ListDropTarget::ignore);

    EXPECT_EQ(ContainingDirectory("/sub/f.txt"), "/sub");
    EXPECT_EQ(ContainingDirectory("/f.mif"), "/");
    EXPECT_EQ(ContainingDirectory("f"), "/");
    EXPECT_EQ(DropTargetDirectory(""), "/");
    EXPECT_EQ(DropTargetDirectory("a/b/"), "a/b/");
}

TEST(ModuleCache, RootRowsPairMifFilesWithDirectoriesOfTheSameName)
{
    const std::vector<CListRowText> rows = {
        {"a", "300 bytes", "Directory"},
        {"B", "50 bytes", "directory"},
        {"a.mif", "100 bytes", "File"},
        {"b.mif", "20 bytes", "FILE"},   // its directory is B: names match with case
        {"c.mif", "", "File"},
        {"c", "70 bytes", "Directory"},  // after the files: directories end at the first file
    };
    EXPECT_EQ(ModulesFromRows(rows), (std::vector<ModuleEntry>{{"a", 400}}));
    EXPECT_TRUE(ModulesFromRows({{"a.mif", "1 bytes", "File"}}).empty());
}

TEST(ModuleCache, SizeTextsGiveTheirLeadingNumber)
{
    EXPECT_EQ(LeadingNumber("1234 bytes"), 1234);
    EXPECT_EQ(LeadingNumber(""), 0);
    EXPECT_EQ(LeadingNumber("bytes 12"), 0);
    EXPECT_EQ(LeadingNumber(std::string(40, '9')), std::numeric_limits<std::int64_t>::max());
}

}  // namespace
