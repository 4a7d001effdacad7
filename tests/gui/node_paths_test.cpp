// Device paths of tree nodes: building them from labels, finding nodes from dialog-form paths,
// and turning dialog-form paths back into device paths.
#include "ui/node_paths.h"

#include <gtest/gtest.h>

namespace {

// "/" with a, a/b, a/b/c and SubDir, each directory with the unread placeholder child the tree
// gives every node.
class NodePathTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        top.label = "/";
        a = top.AddChild("a");
        b = a->AddChild("b");
        c = b->AddChild("c");
        subdir = top.AddChild("subdir");
        for (CDeviceNode* node : {&top, a, b, c, subdir})
            node->AddChild("");
    }

    CDeviceNode top;
    CDeviceNode* a = nullptr;
    CDeviceNode* b = nullptr;
    CDeviceNode* c = nullptr;
    CDeviceNode* subdir = nullptr;
};

TEST_F(NodePathTest, NodePathsAreBuiltFromLabelsWithTrailingSlashes)
{
    EXPECT_EQ(GetNodePath(top, ""), "");
    EXPECT_EQ(GetNodePath(*a, ""), "a/");
    EXPECT_EQ(GetNodePath(*c, ""), "a/b/c/");
    // A root prefix stands in front of every path, joined by one "/".
    EXPECT_EQ(GetNodePath(*b, "efs"), "efs/a/b/");
    EXPECT_EQ(GetNodePath(top, "efs"), "efs");
}

TEST_F(NodePathTest, FindsDirectoriesWithoutRegardToCase)
{
    EXPECT_EQ(FindNodeByPath(top, "/SUBDIR/", ""), subdir);
    EXPECT_EQ(FindNodeByPath(top, "/A/b/C/", ""), c);
    EXPECT_EQ(FindNodeByPath(top, "  /a/b/  ", ""), b);
}

TEST_F(NodePathTest, AFileOrNewNameFindsItsContainingDirectory)
{
    EXPECT_EQ(FindNodeByPath(top, "/a/new", ""), a);
    EXPECT_EQ(FindNodeByPath(top, "/a/b/f.txt", ""), b);
    EXPECT_EQ(FindNodeByPath(top, "/name", ""), &top);
    EXPECT_EQ(FindNodeByPath(top, "/", ""), &top);
}

TEST_F(NodePathTest, UnknownComponentsAndPathsWithoutSlashFindNothing)
{
    EXPECT_EQ(FindNodeByPath(top, "/x/", ""), nullptr);
    EXPECT_EQ(FindNodeByPath(top, "/a/x/b/", ""), nullptr);
    EXPECT_EQ(FindNodeByPath(top, "name", ""), nullptr);
    EXPECT_EQ(FindNodeByPath(top, "", ""), nullptr);
}

TEST_F(NodePathTest, EmptyComponentsNeverMatchAnUnreadPlaceholder)
{
    // "a//b" is "a/b", as the device reads it; the placeholder under a stays out of reach.
    EXPECT_EQ(FindNodeByPath(top, "/a//b/", ""), b);
    EXPECT_EQ(FindNodeByPath(top, "//", ""), &top);
}

TEST_F(NodePathTest, PathsWithoutLeadingSlashAreReadFromTheTopNode)
{
    EXPECT_EQ(FindNodeByPath(top, "a/b/new", ""), b);
    EXPECT_EQ(FindNodeByPath(top, "subdir/", ""), subdir);
}

TEST_F(NodePathTest, FindingAndBuildingPathsAreInverse)
{
    for (CDeviceNode* node : {&top, a, b, c, subdir})
        EXPECT_EQ(FindNodeByPath(top, DialogFormOf(GetNodePath(*node, "")), ""), node)
            << GetNodePath(*node, "");
}

TEST_F(NodePathTest, RootPrefixSelectsTheTopNode)
{
    EXPECT_EQ(FindNodeByPath(top, "efs/a/b/", "efs"), b);
    EXPECT_EQ(FindNodeByPath(top, "EFS/name", "efs"), &top);
}

TEST(ToDevicePath, EmptyRootLeavesEveryPathAsItIs)
{
    for (const char* path : {"/", "/a/b/", "/a/f.txt", "a/b", ""})
        EXPECT_EQ(ToDevicePath(path, ""), path);
}

TEST(ToDevicePath, NonEmptyRootIsPutInFrontOnce)
{
    EXPECT_EQ(ToDevicePath("/a/b", "efs"), "efs/a/b");
    EXPECT_EQ(ToDevicePath("/efs/a", "efs"), "/efs/a");
    EXPECT_EQ(ToDevicePath("a/b", "efs"), "efs/a/b");
    EXPECT_EQ(ToDevicePath("efs/a", "efs"), "efs/a");
}

TEST(LastPathComponent, TakesTheTextAfterTheLastSlash)
{
    EXPECT_EQ(LastPathComponent("a/b/"), "b");
    EXPECT_EQ(LastPathComponent("/a/b"), "b");
    EXPECT_EQ(LastPathComponent("name"), "name");
    EXPECT_EQ(LastPathComponent("/"), "");
}

}  // namespace
