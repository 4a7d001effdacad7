// What cmake --install puts where, and whether the installed programs run from there.
#include <sys/stat.h>

#include <algorithm>
#include <set>

#include "installed_tree_fixture.h"

namespace fs = std::filesystem;

namespace {

bool IsExecutableFile(const fs::path& file)
{
    struct stat info {};
    return ::stat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & S_IXUSR) != 0;
}

TEST_F(InstalledTree, PutsProgramsManualDesktopEntryIconAndDocumentsInTheirPlaces)
{
    EXPECT_TRUE(IsExecutableFile(Installed("bin/VANTFerrant")));
    EXPECT_TRUE(IsExecutableFile(Installed("bin/vant-handset")));
    for (const char* file : {"share/man/man1/VANTFerrant.1.gz", "share/applications/vantferrant.desktop",
                             "share/icons/hicolor/scalable/apps/vantferrant.svg",
                             "share/doc/vantferrant/README.md", "share/doc/vantferrant/LICENSE",
                             "share/doc/vantferrant/user-guide.md"})
        EXPECT_TRUE(fs::is_regular_file(Installed(file))) << file;

    // Installed documents are the repository's, not stale or empty copies.
    EXPECT_EQ(ReadWholeFile(Installed("share/doc/vantferrant/LICENSE")),
              ReadWholeFile(fs::path(VANT_SOURCE_DIR) / "LICENSE"));
    EXPECT_EQ(ReadWholeFile(Installed("share/doc/vantferrant/README.md")),
              ReadWholeFile(fs::path(VANT_SOURCE_DIR) / "README.md"));
    const std::string manual = ReadWholeFile(Installed("share/man/man1/VANTFerrant.1.gz"));
    ASSERT_GE(manual.size(), 2u);
    EXPECT_EQ(manual.substr(0, 2), "\x1f\x8b") << "the manual page is installed gzip-compressed";
}

TEST_F(InstalledTree, EveryIconBitmapHasTheSizeItsFolderNames)
{
    const fs::path hicolor = Installed("share/icons/hicolor");
    std::set<uint32_t> sizes;
    for (const auto& folder : fs::directory_iterator(hicolor)) {
        const std::string name = folder.path().filename().string();
        if (name == "scalable")
            continue;
        const size_t x = name.find('x');
        ASSERT_NE(x, std::string::npos) << name;
        const auto side = static_cast<uint32_t>(std::stoul(name.substr(0, x)));
        EXPECT_EQ(name, std::to_string(side) + "x" + std::to_string(side)) << "square icons only";
        const auto png = ReadPngSize(folder.path() / "apps" / "vantferrant.png");
        ASSERT_TRUE(png.has_value()) << name << " holds no PNG";
        EXPECT_EQ(png->width, side) << name;
        EXPECT_EQ(png->height, side) << name;
        sizes.insert(side);
    }
    // The sizes that menus, docks and window switchers look up first.
    for (uint32_t wanted : {16u, 32u, 48u, 128u, 256u})
        EXPECT_TRUE(sizes.count(wanted)) << wanted << "x" << wanted << " missing";
    const std::string svg = ReadWholeFile(hicolor / "scalable/apps/vantferrant.svg");
    EXPECT_NE(svg.find("<svg"), std::string::npos);
}

TEST_F(InstalledTree, InstalledProgramsRunFromThePrefix)
{
    const auto built = RunUsage(VANTFERRANT_EXE);
    const auto installed = RunUsage(Installed("bin/VANTFerrant"));
    EXPECT_NE(installed.output.find("\nUsage:\n\nVANTFerrant port_name option ...\n"), std::string::npos)
        << installed.output;
    EXPECT_EQ(installed.output, built.output);
    EXPECT_EQ(installed.errors, "");
    EXPECT_EQ(installed.exitStatus, 0);

    const auto handset = RunProcess(Installed("bin/vant-handset").string(), {"--help"});
    EXPECT_NE((handset.output + handset.errors).find("Usage: vant-handset"), std::string::npos)
        << handset.output << handset.errors;
}

}  // namespace
