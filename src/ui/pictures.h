// The window's pictures, drawn in code: toolbar buttons, the tree and list images, the program
// icon and the splash picture.
#pragma once

#include <QIcon>
#include <QPixmap>

QIcon ToolbarIcon(int commandId);  // 16 x 15 pixels; a null icon for unknown commands
QIcon ClosedFolderIcon();
QIcon OpenFolderIcon();
QIcon FileIcon();
QIcon ProgramIcon();
// The installed "vantferrant" theme icon when there is one, else ProgramIcon().
QIcon ApplicationIcon();

constexpr int splashWidth = 518;
constexpr int splashHeight = 315;
QPixmap SplashPicture();  // 518 x 315, without the version text
