// Device path rules: joining and the odd-name filter.
#include <gtest/gtest.h>

#include "efs/efs_paths.h"

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
