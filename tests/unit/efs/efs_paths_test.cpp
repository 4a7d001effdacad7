// Device path rules: root segments, stripping, joining and the odd-name filter.
#include <gtest/gtest.h>

#include "efs/efs_paths.h"

TEST(DevicePaths, RootSegmentsStripAndAbsolutePaths)
{
    // {root, path, stripped, absolute}; an empty root strips up to the first slash.
    const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
        {"", "/brew/app.mod", "brew/app.mod", "/brew/app.mod"}, {"", "brew/app.mod", "app.mod", "/app.mod"},
        {"", "app.mif", "app.mif", "/app.mif"},                   {"", "", "", "/"},
        {"/user", "/user/a/b", "a/b", "/user/a/b"},               {"/user", "/only", "only", "/user/only"},
    };
    for (const auto& [root, path, stripped, absolute] : cases) {
        DeviceRootPath = root;
        EXPECT_EQ(CountRootSegments(), *root ? 2u : 1u) << root;
        EXPECT_EQ(StripDeviceRoot(path), stripped) << root << " " << path;
        EXPECT_EQ(AbsoluteDevicePath(path), absolute) << root << " " << path;
    }
    DeviceRootPath.clear();
}

TEST(DevicePaths, JoinCollapsesRepeatedSlashesAndOddNamesAreRefused)
{
    EXPECT_EQ(JoinDevicePath("", "a"), "/a");
    EXPECT_EQ(JoinDevicePath("/a/", "b"), "/a/b");
    EXPECT_EQ(JoinDevicePath("a//b", "/c"), "a/b/c");
    EXPECT_EQ(JoinDevicePath("/", ""), "/");
    for (const char* good : {"a", "/a", "a/b", "/dir/file.mod", "a/", "..a", ".hidden", "a..b"})
        EXPECT_TRUE(IsUsableEntryName(good)) << good;
    for (const char* odd : {"", ".", "..", "/", "//", "/..", "a/..", "./a", "a/./b", "/../x"})
        EXPECT_FALSE(IsUsableEntryName(odd)) << odd;
}
