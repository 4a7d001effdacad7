// The desktop menu entry is valid and points at what the install put in place.
#include <map>

#include "installed_tree_fixture.h"

namespace {

std::map<std::string, std::string> DesktopEntryKeys(const std::string& text)
{
    std::map<std::string, std::string> keys;
    bool inMainGroup = false;
    for (const std::string& line : TrimmedLines(text)) {
        if (!line.empty() && line[0] == '[')
            inMainGroup = line == "[Desktop Entry]";
        else if (const size_t equals = line.find('='); inMainGroup && equals != std::string::npos)
            keys[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return keys;
}

TEST_F(InstalledTree, DesktopEntryPassesTheValidator)
{
    const auto result =
        RunProcess(VANT_DESKTOP_FILE_VALIDATE, {Installed("share/applications/vantferrant.desktop").string()});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.output + result.errors, "") << "hints and warnings count as failures";
}

TEST_F(InstalledTree, DesktopEntryStartsTheInstalledWindowWithTheInstalledIcon)
{
    auto keys = DesktopEntryKeys(ReadWholeFile(Installed("share/applications/vantferrant.desktop")));
    EXPECT_EQ(keys["Type"], "Application");
    EXPECT_EQ(keys["Name"], "VANT Ferrant");
    // Without arguments the program opens its window, so the entry passes none.
    EXPECT_EQ(keys["Exec"], "VANTFerrant");
    EXPECT_EQ(keys["Terminal"], "false");
    EXPECT_TRUE(std::filesystem::is_regular_file(Installed("bin") / keys["Exec"]));
    ASSERT_FALSE(keys["Icon"].empty());
    EXPECT_TRUE(std::filesystem::is_regular_file(
        Installed("share/icons/hicolor/scalable/apps") / (keys["Icon"] + ".svg")));
    EXPECT_TRUE(std::filesystem::is_regular_file(
        Installed("share/icons/hicolor/48x48/apps") / (keys["Icon"] + ".png")));
}

}  // namespace
