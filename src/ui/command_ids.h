// Command identifiers of the window's menus, toolbar and status-bar panes. The numbers are the
// identifiers the menus, accelerators and enabling rules are keyed by.
#pragma once

enum CommandId : int {
    cmdDeviceReset = 32772,
    cmdDeviceOffline = 32773,
    cmdNewFile = 32774,
    cmdNewDirectory = 32775,
    cmdDelete = 32777,
    cmdDeviceConnect = 32778,
    cmdModuleList = 32780,
    cmdModuleDelete = 32781,
    cmdModuleNew = 32782,
    cmdCopyFromDevice = 32801,
    cmdActualSize = 32803,
    cmdAllocatedSize = 32804,

    cmdAppAbout = 57664,
    cmdAppExit = 57665,
    cmdEditCopy = 57634,
    cmdEditCut = 57635,
    cmdEditPaste = 57637,
    cmdEditUndo = 57643,
    cmdNextPane = 57680,
    cmdPrevPane = 57681,

    cmdViewToolbar = 59392,
    cmdViewStatusBar = 59393,
    cmdViewSmallIcons = 59408,
    cmdViewLargeIcons = 59409,
    cmdViewList = 59410,
    cmdViewDetails = 59411,
    cmdViewArrange = 59412,
};

// The size the list shows: actual bytes or the space the entries take on the device. The values
// are the identifiers of the two View menu items.
constexpr int sizeModeActual = cmdActualSize;
constexpr int sizeModeAllocated = cmdAllocatedSize;
