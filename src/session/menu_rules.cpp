#include "session/menu_rules.h"

#include "session/command_ids.h"

namespace {

bool NoRows(const CFrameState& state)
{
    return state.selectedRows.empty();
}

bool OneRowOf(const CFrameState& state, bool (*accept)(ItemKind))
{
    return state.selectedRows.size() == 1 && accept(state.selectedRows.front());
}

}  // namespace

int ViewModeCommand(ViewMode mode)
{
    switch (mode) {
    case ViewMode::largeIcons:
        return cmdViewLargeIcons;
    case ViewMode::smallIcons:
        return cmdViewSmallIcons;
    case ViewMode::list:
        return cmdViewList;
    case ViewMode::details:
        return cmdViewDetails;
    }
    return cmdViewDetails;
}

bool ViewModeOfCommand(int commandId, ViewMode& mode)
{
    for (ViewMode candidate :
         {ViewMode::largeIcons, ViewMode::smallIcons, ViewMode::list, ViewMode::details}) {
        if (ViewModeCommand(candidate) == commandId) {
            mode = candidate;
            return true;
        }
    }
    return false;
}

CCommandState MainCommandState(int commandId, const CFrameState& state)
{
    CCommandState result;
    const bool list = state.listViewPresent;
    switch (commandId) {
    case cmdNewFile:
    case cmdNewDirectory:
        result.enabled = list && (NoRows(state) || OneRowOf(state, [](ItemKind kind) {
                                      return kind != ItemKind::file;
                                  }));
        break;
    case cmdCopyFromDevice:
        result.enabled = list && (NoRows(state) || OneRowOf(state, [](ItemKind kind) {
                                      return kind == ItemKind::file;
                                  }));
        break;
    case cmdModuleNew:
        result.enabled = list && NoRows(state);
        break;
    case cmdModuleDelete:
        result.enabled = list && (NoRows(state) || OneRowOf(state, [](ItemKind kind) {
                                      return kind == ItemKind::module;
                                  }));
        break;
    case cmdActualSize:
    case cmdAllocatedSize:
        // Sizes exist only while the handset reports usage figures.
        result.enabled = list && state.statsAvailable;
        result.checked = state.sizeMode == commandId;
        break;
    case cmdViewLargeIcons:
    case cmdViewSmallIcons:
    case cmdViewList:
    case cmdViewDetails:
        result.enabled = list;
        result.checked = ViewModeCommand(state.viewMode) == commandId;
        break;
    case cmdViewArrange:
        result.enabled = list && (state.viewMode == ViewMode::largeIcons ||
                                  state.viewMode == ViewMode::smallIcons);
        break;
    case cmdEditCopy:
    case cmdEditCut:
    case cmdEditPaste:
    case cmdEditUndo:
        result.enabled = false;  // nothing in the window handles the edit commands
        break;
    default:
        break;
    }
    // Without a handset, the commands that ask one for something have nothing to work on.
    switch (commandId) {
    case cmdDeviceReset:
    case cmdDeviceOffline:
    case cmdNewFile:
    case cmdNewDirectory:
    case cmdDelete:
    case cmdModuleList:
    case cmdModuleNew:
    case cmdModuleDelete:
    case cmdCopyFromDevice:
        result.enabled = result.enabled && state.handsetShown;
        break;
    default:
        break;
    }
    return result;
}

ListContextMenu ListContextMenuFor(const std::vector<ItemKind>& selectedRows)
{
    if (selectedRows.empty())
        return listMenuNoRows;
    if (selectedRows.size() > 1)
        return listMenuSeveralRows;
    return selectedRows.front() == ItemKind::file ? listMenuOneFileRow : listMenuOneFolderRow;
}

CCommandState ContextCommandState(int commandId, bool topNodeOrNoneSelected,
                                  const CFrameState& state)
{
    CCommandState result;
    switch (commandId) {
    case cmdModuleNew:
        result.enabled = topNodeOrNoneSelected;
        break;
    case cmdActualSize:
    case cmdAllocatedSize:
        result.enabled = state.statsAvailable;
        result.checked = state.sizeMode == commandId;
        break;
    default:
        break;
    }
    return result;
}
