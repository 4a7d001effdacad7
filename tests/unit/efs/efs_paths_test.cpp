// Device path rules: root segments, stripping, joining and the odd-name filter.
#include <gtest/gtest.h>

#include "efs/efs_paths.h"

namespace {

// Sets DeviceRootPath for one test and restores the empty root afterwards.
class RootPathGuard {
public:
    explicit RootPathGuard(std::string root) { DeviceRootPath = std::move(root); }
    ~RootPathGuard() { DeviceRootPath.clear(); }
    RootPathGuard(const RootPathGuard&) = delete;
    RootPathGuard& operator=(const RootPathGuard&) = delete;
};

}  // namespace

TEST(DevicePaths, EmptyRootStripsUpToTheFirstSlash)
{
    RootPathGuard root("");
    EXPECT_EQ(CountRootSegments(), 1u);
    EXPECT_EQ(StripDeviceRoot("/brew/app.mod"), "brew/app.mod");
    EXPECT_EQ(StripDeviceRoot("brew/app.mod"), "app.mod");
    EXPECT_EQ(StripDeviceRoot("app.mif"), "app.mif");
    EXPECT_EQ(StripDeviceRoot(""), "");
    EXPECT_EQ(AbsoluteDevicePath("/brew/app.mod"), "/brew/app.mod");
    EXPECT_EQ(AbsoluteDevicePath("app.mif"), "/app.mif");
}

TEST(DevicePaths, DeeperRootStripsOneSegmentPerRootSegment)
{
    RootPathGuard root("/user");
    EXPECT_EQ(CountRootSegments(), 2u);
    EXPECT_EQ(StripDeviceRoot("/user/a/b"), "a/b");
    EXPECT_EQ(AbsoluteDevicePath("/user/a/b"), "/user/a/b");
    EXPECT_EQ(StripDeviceRoot("/only"), "only");
}

TEST(DevicePaths, JoinCollapsesRepeatedSlashes)
{
    EXPECT_EQ(JoinDevicePath("", "a"), "/a");
    EXPECT_EQ(JoinDevicePath("/a/", "b"), "/a/b");
    EXPECT_EQ(JoinDevicePath("a//b", "/c"), "a/b/c");
    EXPECT_EQ(JoinDevicePath("/", ""), "/");
}

TEST(DevicePaths, UsableEntryNames)
{
    for (const char* good : {"a", "/a", "a/b", "/dir/file.mod", "a/", "..a", ".hidden", "a..b"})
        EXPECT_TRUE(IsUsableEntryName(good)) << good;
    for (const char* odd : {"", ".", "..", "/", "//", "/..", "a/..", "./a", "a/./b", "/../x"})
        EXPECT_FALSE(IsUsableEntryName(odd)) << odd;
}
