// When the window's commands are enabled and which carry a radio mark, and which context menu
// the list offers, as functions of plain state so every rule can be checked without widgets.
#pragma once

#include <vector>

#include "session/item_kind.h"

enum class ViewMode { largeIcons, smallIcons, list, details };

// What the rules look at.
struct CFrameState {
    bool listViewPresent = true;
    std::vector<ItemKind> selectedRows;  // kinds of the selected list rows, top to bottom
    bool statsAvailable = true;
    int sizeMode = 0;                    // sizeModeActual or sizeModeAllocated
    ViewMode viewMode = ViewMode::details;
    bool handsetShown = true;  // the tree shows a connected handset's directories
};

struct CCommandState {
    bool enabled = true;
    bool checked = false;  // radio mark
};

// The state of one main-menu or toolbar command.
CCommandState MainCommandState(int commandId, const CFrameState& state);

// The view-mode command that selects mode, and back.
int ViewModeCommand(ViewMode mode);
bool ViewModeOfCommand(int commandId, ViewMode& mode);

// Context menus of the list, chosen by the selection.
enum ListContextMenu : int {
    listMenuSeveralRows = 200,
    listMenuOneFolderRow = 201,  // one Directory or Module row
    listMenuNoRows = 202,
    listMenuOneFileRow = 203,
};
ListContextMenu ListContextMenuFor(const std::vector<ItemKind>& selectedRows);

// The state of an item of the tree's context menu or of the list's "no rows" menu. New >
// "&Module..." needs the top node selected (or no node at all); the size items need statistics.
CCommandState ContextCommandState(int commandId, bool topNodeOrNoneSelected,
                                  const CFrameState& state);
