// The window's rules as plain functions: command enabling and radio marks, context-menu choice,
// the New Directory check, the connection pane text and the connection watch.
#include <gtest/gtest.h>

#include <set>

#include "report/app_messages.h"
#include "ui/command_ids.h"
#include "ui/command_table.h"
#include "ui/connection_status.h"
#include "ui/dialog_checks.h"
#include "ui/item_kind.h"
#include "ui/menu_rules.h"

namespace {

CFrameState Selecting(std::vector<ItemKind> rows)
{
    CFrameState state;
    state.selectedRows = std::move(rows);
    state.sizeMode = sizeModeActual;
    return state;
}

bool Enabled(int id, const CFrameState& state)
{
    return MainCommandState(id, state).enabled;
}

const ItemKind file = ItemKind::file;
const ItemKind directory = ItemKind::directory;
const ItemKind module = ItemKind::module;

TEST(CommandRules, ListCommandsFollowTheSelectedRows)
{
    // Each command with the selections that enable it and those that do not.
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
            EXPECT_TRUE(Enabled(c.id, Selecting(rows))) << c.id << " rows " << rows.size();
        for (const auto& rows : c.disabled)
            EXPECT_FALSE(Enabled(c.id, Selecting(rows))) << c.id << " rows " << rows.size();
    }
}

TEST(CommandRules, WithoutTheListEveryListRuleDisables)
{
    CFrameState state = Selecting({});
    state.listViewPresent = false;
    for (int id : {cmdNewFile, cmdNewDirectory, cmdCopyFromDevice, cmdModuleNew, cmdModuleDelete,
                   cmdActualSize, cmdAllocatedSize, cmdViewDetails, cmdViewArrange})
        EXPECT_FALSE(Enabled(id, state)) << id;
    // Commands without a rule stay available.
    for (int id : {cmdDeviceConnect, cmdDeviceReset, cmdDeviceOffline, cmdModuleList, cmdAppAbout})
        EXPECT_TRUE(Enabled(id, state)) << id;
}

TEST(CommandRules, SizeModesFollowStatisticsAndMarkTheModeInForce)
{
    CFrameState state = Selecting({file, directory});
    state.sizeMode = sizeModeAllocated;
    EXPECT_TRUE(Enabled(cmdActualSize, state));
    EXPECT_FALSE(MainCommandState(cmdActualSize, state).checked);
    EXPECT_TRUE(MainCommandState(cmdAllocatedSize, state).checked);
    state.statsAvailable = false;
    EXPECT_FALSE(Enabled(cmdActualSize, state));
    EXPECT_FALSE(Enabled(cmdAllocatedSize, state));
}

TEST(CommandRules, ViewModesMarkTheCurrentModeAndArrangeNeedsAnIconMode)
{
    CFrameState state = Selecting({});
    for (ViewMode mode :
         {ViewMode::largeIcons, ViewMode::smallIcons, ViewMode::list, ViewMode::details}) {
        state.viewMode = mode;
        int marked = 0;
        for (int id : {cmdViewLargeIcons, cmdViewSmallIcons, cmdViewList, cmdViewDetails}) {
            EXPECT_TRUE(Enabled(id, state));
            marked += MainCommandState(id, state).checked ? 1 : 0;
        }
        EXPECT_EQ(marked, 1);
        EXPECT_TRUE(MainCommandState(ViewModeCommand(mode), state).checked);
        EXPECT_EQ(Enabled(cmdViewArrange, state),
                  mode == ViewMode::largeIcons || mode == ViewMode::smallIcons);
    }
}

TEST(ContextMenus, ListMenuFollowsTheSelection)
{
    EXPECT_EQ(ListContextMenuFor({}), listMenuNoRows);
    EXPECT_EQ(ListContextMenuFor({file}), listMenuOneFileRow);
    EXPECT_EQ(ListContextMenuFor({directory}), listMenuOneFolderRow);
    EXPECT_EQ(ListContextMenuFor({module}), listMenuOneFolderRow);
    EXPECT_EQ(ListContextMenuFor({file, module}), listMenuSeveralRows);
}

TEST(ContextMenus, NewModuleOnlyAtTheTopAndSizesOnlyWithStatistics)
{
    CFrameState state = Selecting({});
    EXPECT_TRUE(ContextCommandState(cmdModuleNew, true, state).enabled);
    EXPECT_FALSE(ContextCommandState(cmdModuleNew, false, state).enabled);
    EXPECT_TRUE(ContextCommandState(cmdActualSize, false, state).checked);
    state.statsAvailable = false;
    EXPECT_FALSE(ContextCommandState(cmdAllocatedSize, true, state).enabled);
    EXPECT_TRUE(ContextCommandState(cmdNewFile, false, state).enabled);
}

TEST(CommandTable, EveryMenuCommandIsUniqueAndEveryToolbarButtonIsInTheMenus)
{
    std::set<int> menuIds;
    std::function<void(const std::vector<CMenuItem>&)> collect =
        [&](const std::vector<CMenuItem>& items) {
            for (const CMenuItem& item : items) {
                collect(item.submenu);
                if (item.id != 0) {
                    EXPECT_TRUE(menuIds.insert(item.id).second) << item.id;
                }
            }
        };
    collect(MainMenu());
    EXPECT_EQ(menuIds.size(), 20u);
    for (int id : ToolbarCommands()) {
        if (id != 0) {
            EXPECT_TRUE(menuIds.count(id)) << id;
        }
    }
}

TEST(DialogChecks, NewDirectoryRefusesPathsEndingWithSlash)
{
    EXPECT_EQ(CheckNewDirectoryField("/"), 77);
    EXPECT_EQ(CheckNewDirectoryField("/a/b/  "), 77);
    EXPECT_EQ(CheckNewDirectoryField("/a/new"), msgSuccess);
    EXPECT_EQ(CheckNewDirectoryField(""), msgSuccess);
}

TEST(ConnectionPane, TextFollowsTheFiguresAndStatistics)
{
    EXPECT_EQ(ConnectionStatusText(0, 0, true), "Disconnected");
    EXPECT_EQ(ConnectionStatusText(120, 512, true), "Mem free/total: 120K / 512K");
    EXPECT_EQ(ConnectionStatusText(0, 512, true), "Mem free/total: 0K / 512K");
    EXPECT_EQ(ConnectionStatusText(1, 1, false), "Connected");
}

TEST(ConnectionWatch, DoesNothingWhileACommandRunsOrWithoutLink)
{
    EXPECT_EQ(DecideWatchAction(false, false, false, true), WatchAction::nothing);
    EXPECT_EQ(DecideWatchAction(true, true, false, true), WatchAction::nothing);
    EXPECT_EQ(DecideWatchAction(false, true, false, true), WatchAction::reconnect);
    EXPECT_EQ(DecideWatchAction(false, true, true, true), WatchAction::showMemory);
    EXPECT_EQ(DecideWatchAction(false, true, true, false), WatchAction::showConnected);
}

}  // namespace
