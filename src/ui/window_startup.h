// Start-up of the window front end: the program started without arguments.
#pragma once

#include <functional>

class CMainFrame;

struct CWindowStartup {
    // Runs the connect command at start (port dialog, connection, filling the tree); the
    // program passes the tree's ConnectAtStart. Empty: the window starts unconnected.
    std::function<void(CMainFrame&)> connectAtStart;
};

// Creates the application and the main window and runs the message loop; returns its result.
int RunWindowMode(int argc, char** argv, const CWindowStartup& startup = {});

// Everything of start-up after the application exists and before the message loop: window
// reporting, the frame with its splash, title and size mode. Returns the shown frame.
CMainFrame* StartMainWindow(const CWindowStartup& startup, int splashPauseMs);
