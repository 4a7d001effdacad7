// The session's rules as plain functions, without a window or a handset: drop and New File
// placement, node paths, the module list from the root's rows, command states and the dialogs'
// OK checks.
#include <gtest/gtest.h>

#include <tuple>

#include "session/command_ids.h"
#include "session/connection_status.h"
#include "session/dialog_checks.h"
#include "session/drop_placement.h"
#include "session/menu_rules.h"
#include "session/module_cache.h"
#include "session/node_paths.h"

namespace {

using enum ItemKind;

TEST(DropPlacement, EachItemKindAndTargetGetsItsActionOrRefusal)
{
    // {PC path, folder, .mif files in it, onto the top} -> {action, refusal, device path, stale}
    const std::tuple<const char*, bool, MifCount, bool, DropAction, int, const char*, bool> cases[] = {
        {"/pc/Chess.MIF", false, mifCountNone, true, DropAction::copyFile, 0, "/Chess.MIF", true},
        {"/pc/a.mif.txt", false, mifCountNone, true, DropAction::refuse, 31, "/a.mif.txt", false},
        {"/pc/readme.txt", false, mifCountNone, false, DropAction::copyFile, 0, "/sub/readme.txt", false},
        {"/pc/chess.mif", false, mifCountNone, false, DropAction::refuse, 30, "/sub/chess.mif", false},
        {"/pc/plain/", true, mifCountNone, false, DropAction::copyDirectory, 0, "/sub/plain", false},
        {"/pc/chess", true, mifCountOne, true, DropAction::loadModule, 0, "/chess", true},
        {"/pc/chess", true, mifCountOne, false, DropAction::refuse, 32, "/sub/chess", false},
        {"/pc/twice", true, mifCountMany, true, DropAction::refuse, 45, "/twice", false},
    };
    for (const auto& [pcPath, folder, mifs, top, action, refusal, devicePath, stale] : cases) {
        const CDropPlan plan = PlanDrop(pcPath, folder, mifs, "Chess.MIF", top ? "/" : "/sub/", top);
        EXPECT_EQ(std::tie(plan.action, plan.refusal, plan.devicePath, plan.marksModulesStale),
                  std::make_tuple(action, refusal, std::string(devicePath), stale))
            << pcPath;
    }
    EXPECT_EQ(PlanDrop("/pc/chess", true, mifCountOne, "Chess.MIF", "/", true).moduleName, "Chess");
#ifdef _WIN32
    // Windows paths name their folders with backslashes too: typed, or handed over as they are.
    EXPECT_EQ(PlanDrop("C:\\pc\\readme.txt", false, mifCountNone, "", "/sub/", false).devicePath, "/sub/readme.txt");
    EXPECT_EQ(PlanDrop("C:\\pc\\plain\\", true, mifCountNone, "", "/sub/", false).devicePath, "/sub/plain");
#endif
    // New File: a device path ending in "/" gets the PC file's name, cut where the PC's own
    // separators end its folders.
    const std::tuple<const char*, const char*, const char*> completions[] = {
        {"/pc/f.txt", "/sub/", "/sub/f.txt"},
        {"/pc/f.txt", "/sub/g.txt", "/sub/g.txt"},
        {"f.txt", "/", "/f.txt"},
        {"/pc/f.txt", "", ""},
#ifdef _WIN32
        {"C:\\pc\\f.txt", "/sub/", "/sub/f.txt"},
        {"C:/pc\\Chess.MIF", "/", "/Chess.MIF"},
        {"C:\\pc/in\\f.txt", "/sub/", "/sub/f.txt"},
#else
        {"/pc/a\\b.txt", "/sub/", "/sub/a\\b.txt"},  // a backslash is part of a POSIX name
#endif
    };
    for (const auto& [pcFile, typed, expected] : completions)
        EXPECT_EQ(CompleteNewFilePath(pcFile, typed), expected) << pcFile << " to " << typed;
    // New File matches ".mif" without regard to case too.
    const std::tuple<const char*, bool, int> newFiles[] = {
        {"/F.MIF", true, 0}, {"/f.txt", true, 31}, {"/sub/F.Mif", false, 30}, {"/sub/f.txt", false, 0}};
    for (const auto& [path, top, expected] : newFiles)
        EXPECT_EQ(CheckNewFilePlacement(path, top), expected) << path;
}

TEST(NodePaths, DialogPathsFindTheirDirectoryOrTheOneContainingIt)
{
    // "/" with a, a/b, a/b/c and subdir, each with the unread placeholder child the tree gives.
    CDeviceNode top;
    top.label = "/";
    CDeviceNode* a = top.AddChild("a");
    CDeviceNode* b = a->AddChild("b");
    CDeviceNode* c = b->AddChild("c");
    CDeviceNode* subdir = top.AddChild("subdir");
    for (CDeviceNode* node : {&top, a, b, c, subdir})
        node->AddChild("");
    const std::pair<const char*, CDeviceNode*> cases[] = {
        {"/SUBDIR/", subdir}, {"/A/b/C/", c},    {"  /a/b/  ", b},    {"/a/new", a},
        {"/a/b/f.txt", b},    {"/name", &top},   {"/", &top},         {"a/b/new", b},
        {"subdir/", subdir},  {"/a//b/", b},     {"//", &top},        {"/x/", nullptr},
        {"/a/x/b/", nullptr}, {"name", nullptr}, {"", nullptr},
    };
    for (const auto& [path, node] : cases)
        EXPECT_EQ(FindNodeByPath(top, path, ""), node) << path;
    for (CDeviceNode* node : {&top, a, b, c, subdir})  // building and finding are inverse
        EXPECT_EQ(FindNodeByPath(top, DialogFormOf(GetNodePath(*node, "")), ""), node);
    EXPECT_EQ(GetNodePath(*b, "efs"), "efs/a/b/");
    EXPECT_EQ(GetNodePath(top, "efs"), "efs");
    EXPECT_EQ(FindNodeByPath(top, "efs/a/b/", "efs"), b);
    EXPECT_EQ(FindNodeByPath(top, "EFS/name", "efs"), &top);
    // Back to a device path: a non-empty root is put in front once.
    const std::tuple<const char*, const char*, const char*> toDevice[] = {
        {"/a/b/", "", "/a/b/"},      {"/a/b", "efs", "efs/a/b"}, {"/efs/a", "efs", "/efs/a"},
        {"a/b", "efs", "efs/a/b"},   {"efs/a", "efs", "efs/a"}};
    for (const auto& [path, root, expected] : toDevice)
        EXPECT_EQ(ToDevicePath(path, root), expected) << path << " under " << root;
    // The folder a new entry appears in, to be listed again: the top for one made there.
    const std::pair<const char*, const char*> containing[] = {{"/a/b/f.txt", "/a/b"}, {"/f.txt", "/"}, {"f.txt", "/"}};
    for (const auto& [path, folder] : containing)
        EXPECT_EQ(ContainingDirectory(path), folder) << path;
}

TEST(ModuleCache, RootRowsPairMifFilesWithDirectoriesOfTheSameName)
{
    const std::vector<CDeviceRow> rows = {
        {"a", directory, 300, {}},
        {"B", directory, 50, {}},
        {"a.mif", file, 100, {}},
        {"b.mif", file, 20, {}},   // its directory is B: names match with case
        {"c.mif", file, -1, {}},   // no size: counts 0
        {"c", directory, 70, {}},  // after the files: directories end at the first file
        {"d.mif", file, -1, {}},
    };
    EXPECT_EQ(ModulesFromRows(rows), (std::vector<ModuleEntry>{{"a", 400}}));
    const std::vector<CDeviceRow> withoutSizes = {{"d", directory, -1, {}}, {"d.mif", file, -1, {}}};
    EXPECT_EQ(ModulesFromRows(withoutSizes), (std::vector<ModuleEntry>{{"d", 0}}));
}

TEST(CommandRules, ListCommandsFollowTheSelectedRowsAndSizeModesTheStatistics)
{
    auto enabled = [](int id, std::vector<ItemKind> rows, bool list = true, bool stats = true) {
        return MainCommandState(id, {list, std::move(rows), stats, sizeModeActual}).enabled;
    };
    const struct {
        int id;
        std::vector<std::vector<ItemKind>> enabled, disabled;
    } cases[] = {
        {cmdNewFile, {{}, {directory}, {module}}, {{file}, {directory, directory}}},
        {cmdNewDirectory, {{}, {directory}, {module}}, {{file}, {directory, directory}}},
        {cmdCopyFromDevice, {{}, {file}}, {{directory}, {file, file}}},
        {cmdModuleNew, {{}}, {{module}}},
        {cmdModuleDelete, {{}, {module}}, {{file}, {module, module}}},
    };
    for (const auto& c : cases) {
        for (const auto& rows : c.enabled)
            EXPECT_TRUE(enabled(c.id, rows)) << c.id << " rows " << rows.size();
        for (const auto& rows : c.disabled)
            EXPECT_FALSE(enabled(c.id, rows)) << c.id << " rows " << rows.size();
    }
    // Without the list every list rule disables; commands without a rule stay available.
    for (int id : {cmdNewFile, cmdCopyFromDevice, cmdModuleDelete, cmdActualSize, cmdViewDetails, cmdViewArrange})
        EXPECT_FALSE(enabled(id, {}, false)) << id;
    for (int id : {cmdDeviceConnect, cmdDeviceReset, cmdDeviceOffline, cmdModuleList, cmdAppAbout})
        EXPECT_TRUE(enabled(id, {}, false)) << id;
    EXPECT_FALSE(enabled(cmdAllocatedSize, {}, true, false));

    CFrameState state{true, {}, true, sizeModeAllocated, ViewMode::list};
    EXPECT_FALSE(MainCommandState(cmdActualSize, state).checked);
    EXPECT_TRUE(MainCommandState(cmdAllocatedSize, state).checked);
    EXPECT_TRUE(MainCommandState(cmdViewList, state).checked);
    EXPECT_FALSE(MainCommandState(cmdViewArrange, state).enabled);  // only in the icon modes
    state.viewMode = ViewMode::smallIcons;
    EXPECT_TRUE(MainCommandState(cmdViewArrange, state).enabled);
}

TEST(DialogChecks, OkIsRefusedWithTheMessageOfTheMissingPart)
{
    const std::tuple<const char*, const char*, int> newFiles[] = {
        {"/home/f.txt", "", 78}, {"", "/sub/", 79}, {"/home/", "/sub/", 80}, {"/home/f.txt", "/sub/", 0}, {"", "", 0}};
    for (const auto& [pc, device, expected] : newFiles)
        EXPECT_EQ(CheckNewFileFields(pc, device), expected) << pc << " " << device;
    const std::pair<const char*, int> directories[] = {{"/", 77}, {"/a/b/  ", 77}, {"/a/new", 0}, {"", 0}};
    for (const auto& [path, expected] : directories)
        EXPECT_EQ(CheckNewDirectoryField(path), expected) << path;
}

// The connection watch's tick: nothing during a command or without a link, a reconnection for a
// handset no longer ready, else the pane's figures or "Connected"; the pane's text from them.
TEST(ConnectionWatch, EachTickFollowsTheCommandTheLinkAndTheHandsetAndThePaneItsFigures)
{
    // {command running, has link, phone ready, statistics} -> action
    const std::tuple<bool, bool, bool, bool, WatchAction> ticks[] = {
        {true, true, true, true, WatchAction::nothing},
        {true, true, false, true, WatchAction::nothing},
        {false, false, false, true, WatchAction::nothing},
        {false, true, false, true, WatchAction::reconnect},
        {false, true, false, false, WatchAction::reconnect},
        {false, true, true, true, WatchAction::showMemory},
        {false, true, true, false, WatchAction::showConnected},
    };
    for (const auto& [command, link, ready, stats, action] : ticks)
        EXPECT_EQ(DecideWatchAction(command, link, ready, stats), action)
            << command << link << ready << stats;
    EXPECT_EQ(ConnectionStatusText(0, 0, true), "Disconnected");
    EXPECT_EQ(ConnectionStatusText(0, 0, false), "Disconnected");
    EXPECT_EQ(ConnectionStatusText(1, 1, false), "Connected");
    EXPECT_EQ(ConnectionStatusText(12, 4096, true), "Mem free/total: 12K / 4096K");
    EXPECT_EQ(ConnectionStatusText(0, 4096, true), "Mem free/total: 0K / 4096K");
}

}  // namespace
