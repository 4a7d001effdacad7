// The rules behind drops and New File, and the module list built from the root's rows.
#include <gtest/gtest.h>

#include <limits>

#include "ui/drop_placement.h"
#include "ui/module_cache.h"

namespace {

CDropPlan File(const std::string& pcPath, bool atTop)
{
    return PlanDrop(pcPath, false, mifCountNone, "", atTop ? "/" : "sub/", atTop);
}

CDropPlan Folder(const std::string& pcPath, MifCount mifs, bool atTop,
                 const std::string& mifName = "")
{
    return PlanDrop(pcPath, true, mifs, mifName, atTop ? "/" : "sub/", atTop);
}

TEST(DropPlacement, MifFilesOnlyAtTheRootAndOnlyMifFilesThere)
{
    const CDropPlan mifAtTop = File("/pc/Chess.MIF", true);
    EXPECT_EQ(mifAtTop.action, DropAction::copyFile);
    EXPECT_EQ(mifAtTop.devicePath, "/Chess.MIF");
    EXPECT_TRUE(mifAtTop.marksModulesStale);
    EXPECT_EQ(mifAtTop.failure, 62);

    EXPECT_EQ(File("/pc/Chess.MIF", false).refusal, 30);
    EXPECT_EQ(File("/pc/readme.txt", true).refusal, 31);
    // ".mif" inside a name is no extension.
    EXPECT_EQ(File("/pc/a.mif.txt", true).refusal, 31);

    const CDropPlan textBelow = File("/pc/readme.txt", false);
    EXPECT_EQ(textBelow.action, DropAction::copyFile);
    EXPECT_EQ(textBelow.devicePath, "sub/readme.txt");
    EXPECT_FALSE(textBelow.marksModulesStale);
    EXPECT_EQ(textBelow.failure, 61);
}

TEST(DropPlacement, FoldersAreCopiedOrLoadedAsModulesAtTheRoot)
{
    for (bool atTop : {true, false}) {
        const CDropPlan plain = Folder("/pc/photos/", mifCountNone, atTop);
        EXPECT_EQ(plain.action, DropAction::copyDirectory);
        EXPECT_EQ(plain.devicePath, atTop ? "/photos" : "sub/photos");
        EXPECT_EQ(Folder("/pc/two", mifCountMany, atTop).refusal, 45);
    }
    const CDropPlan module = Folder("/pc/chess", mifCountOne, true, "Chess.MIF");
    EXPECT_EQ(module.action, DropAction::loadModule);
    EXPECT_EQ(module.moduleName, "Chess");
    EXPECT_TRUE(module.marksModulesStale);
    EXPECT_EQ(Folder("/pc/chess", mifCountOne, false, "chess.mif").refusal, 32);
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
