// Builds the Debian package from the test's own build tree with cpack, unpacks it into a
// private root with dpkg -x and runs the program from there.
#include <gtest/gtest.h>

#include <filesystem>

#include "packaging_helpers.h"

namespace fs = std::filesystem;

namespace {

std::string ControlField(const fs::path& package, const std::string& field)
{
    const auto result = RunProcess(VANT_DPKG_DEB, {"--field", package.string(), field});
    EXPECT_EQ(result.exitStatus, 0) << result.errors;
    return TrimmedLines(result.output).empty() ? std::string() : TrimmedLines(result.output).front();
}

TEST(DebianPackage, BuildsWithItsLibraryDependenciesAndRunsFromAnUnpackedRoot)
{
    CPackagingScratch output;
    const auto cpack = RunProcess(VANT_CPACK, {"--config", std::string(VANT_BINARY_DIR) + "/CPackConfig.cmake",
                                               "-B", output.Path().string()});
    ASSERT_EQ(cpack.exitStatus, 0) << cpack.output << cpack.errors;

    fs::path package;
    for (const auto& entry : fs::directory_iterator(output.Path()))
        if (entry.path().extension() == ".deb")
            package = entry.path();
    ASSERT_FALSE(package.empty()) << cpack.output;

    EXPECT_EQ(ControlField(package, "Package"), "vantferrant");
    EXPECT_EQ(ControlField(package, "Version"), "1.0.2.5");
    // dpkg-shlibdeps turned the libraries the programs load into package dependencies.
    const std::string depends = ControlField(package, "Depends");
    EXPECT_NE(depends.find("libc6"), std::string::npos) << depends;
    EXPECT_NE(depends.find("libstdc++6"), std::string::npos) << depends;
    if (VANT_GUI_BUILD)
        EXPECT_NE(depends.find("libqt6widgets6"), std::string::npos) << depends;
    else
        EXPECT_EQ(depends.find("qt6"), std::string::npos) << "a headless build needs no Qt: " << depends;

    CPackagingScratch root;
    const auto unpack = RunProcess(VANT_DPKG, {"-x", package.string(), root.Path().string()});
    ASSERT_EQ(unpack.exitStatus, 0) << unpack.errors;
    for (const char* file : {"usr/share/man/man1/VANTFerrant.1.gz", "usr/share/applications/vantferrant.desktop",
                             "usr/share/icons/hicolor/scalable/apps/vantferrant.svg",
                             "usr/share/doc/vantferrant/LICENSE", "usr/bin/vant-handset"})
        EXPECT_TRUE(fs::is_regular_file(root.Path() / file)) << file;

    const auto usage = RunUsage(root.Path() / "usr/bin/VANTFerrant");
    EXPECT_EQ(usage.output, RunUsage(VANTFERRANT_EXE).output);
    EXPECT_NE(usage.output.find("\nUsage:\n"), std::string::npos) << usage.output << usage.errors;
    EXPECT_EQ(usage.exitStatus, 0);
}

}  // namespace
