// Command identifiers of the window's menus, toolbar and status-bar panes. The numbers are the
// identifiers the menus, accelerators and enabling rules are keyed by.
#pragma once

#include "session/size_modes.h"

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
    cmdActualSize = sizeModeActual,
    cmdAllocatedSize = sizeModeAllocated,

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

