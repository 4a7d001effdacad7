// The main window: menus, toolbar, the splitter with the device tree (left) and the device list
// (right), and the six-pane status bar. The frame handles the view-mode, size-mode, window and
// About commands itself and hands every device command on through CommandRequested.
#pragma once

#include <QMainWindow>
#include <map>

#include "ui/command_table.h"
#include "ui/menu_rules.h"

class CLeftView;
class CTarlo32View;
class QLabel;
class QMenu;
class QSplitter;
class QToolBar;

enum StatusPane : int {
    statusPaneMessage = 0,
    statusPaneConnection,
    statusPaneCaps,
    statusPaneNum,
    statusPaneScroll,
    statusPaneProduct,
    statusPaneCount
};

struct CMainFrameOptions {
    // How long the user-interface thread pauses after showing the splash, so the splash stays
    // up while start-up goes on.
    int splashPauseMs = 1000;
};

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(const CMainFrameOptions& options = {});

    CLeftView* GetLeftView() const;
    CTarlo32View* GetListView() const;
    QSplitter* Splitter() const { return splitter_; }
    QToolBar* ToolBar() const { return toolBar_; }

    // The action of a command (shared by the menu, toolbar and accelerators), or nullptr.
    QAction* Action(int commandId) const;
    QLabel* StatusPaneLabel(int pane) const;

    // A context menu of items whose commands run as the main menu's do, enabled by the context
    // rules. The caller owns the menu and shows it where the mouse is.
    QMenu* CreateContextMenu(const std::vector<CMenuItem>& items, bool topNodeOrNoneSelected);

    // Sets the connection pane from the EFS figures (see ConnectionStatusText).
    void UpdateConnectionStatus(int freeKb, int totalKb);

    // Re-evaluates the enabling rules and radio marks of every command.
    void UpdateCommandStates();
    CFrameState CurrentState() const;

signals:
    // A device command for the tree (connect, reset, offline, new, delete, module, copy).
    void CommandRequested(int commandId);
    // The size mode changed; the receiver refills the list while the wait window is up.
    void SizeDisplayModeChanged(int sizeMode);

protected:
    bool event(QEvent* event) override;

private:
    void BuildActions();
    void BuildMenus();
    void BuildToolBar();
    void BuildStatusBar();
    void OnCommand(int commandId);
    void SwitchSizeMode(int sizeMode);
    void FocusOtherPane();

    QSplitter* splitter_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    CLeftView* leftView_ = nullptr;
    CTarlo32View* listView_ = nullptr;
    QLabel* panes_[statusPaneCount] = {};
    std::map<int, QAction*> actions_;
};
