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

TEST_F(NodePathTest, DialogPathsFindTheirDirectoryOrTheOneContainingIt)
{
    const struct {
        const char* path;
        CDeviceNode* node;
    } cases[] = {
        {"/SUBDIR/", subdir}, {"/A/b/C/", c},     {"  /a/b/  ", b},   {"/a/new", a},
        {"/a/b/f.txt", b},    {"/name", &top},    {"/", &top},        {"a/b/new", b},
        {"subdir/", subdir},  {"/a//b/", b},      {"//", &top},  // "a//b" is "a/b"
        {"/x/", nullptr},     {"/a/x/b/", nullptr}, {"name", nullptr}, {"", nullptr},
    };
    for (const auto& example : cases)
        EXPECT_EQ(FindNodeByPath(top, example.path, ""), example.node) << example.path;
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

TEST(ToDevicePath, ANonEmptyRootIsPutInFrontOnce)
{
    for (const char* path : {"/", "/a/b/", "a/b", ""})
        EXPECT_EQ(ToDevicePath(path, ""), path);
    EXPECT_EQ(ToDevicePath("/a/b", "efs"), "efs/a/b");
    EXPECT_EQ(ToDevicePath("/efs/a", "efs"), "/efs/a");
    EXPECT_EQ(ToDevicePath("a/b", "efs"), "efs/a/b");
    EXPECT_EQ(ToDevicePath("efs/a", "efs"), "efs/a");
}

}  // namespace
