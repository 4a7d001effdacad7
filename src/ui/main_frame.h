// The main window: menus, toolbar, the splitter with the device tree (left) and the device list
// (right), and the six-pane status bar. Each command's action triggers its own slot: the frame's
// for the view-mode, size-mode, window and About commands, the tree's for every device command.
#pragma once

#include <QMainWindow>
#include <map>
#include <vector>

#include "session/command_table.h"
#include "session/menu_rules.h"

class CDeviceTreeCtrl;
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
    ~CMainFrame() override;

    CLeftView* GetLeftView() const;
    CTarlo32View* GetListView() const;

    // The action of a command (shared by the menu, toolbar and accelerators), or nullptr.
    QAction* Action(int commandId) const;
    QLabel* StatusPaneLabel(int pane) const;

    // A context menu of items whose commands run as the main menu's do, enabled by the context
    // rules. The caller owns the menu and shows it where the mouse is.
    QMenu* CreateContextMenu(const std::vector<CMenuItem>& items, bool topNodeOrNoneSelected);
    // Shows such a menu at globalPosition and returns once it has closed.
    void ShowContextMenu(const std::vector<CMenuItem>& items, bool topNodeOrNoneSelected,
                         const QPoint& globalPosition);

    // Sets the connection pane from the EFS figures (see ConnectionStatusText).
    void UpdateConnectionStatus(int freeKb, int totalKb);

    // Re-evaluates the enabling rules and radio marks of every command.
    void UpdateCommandStates();
    CFrameState CurrentState() const;

signals:
    // The size mode changed; the receiver refills the list while the wait window is up.
    void SizeDisplayModeChanged(int sizeMode);

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildActions();
    void BuildMenus();
    void BuildToolBar();
    void BuildStatusBar();
    void ConnectTree(CDeviceTreeCtrl* tree);
    void ConnectFrameCommands();
    void SwitchSizeMode(int sizeMode);
    void ShowAbout();
    void FocusOtherPane();

    QSplitter* splitter_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    CLeftView* leftView_ = nullptr;
    CTarlo32View* listView_ = nullptr;
    QLabel* panes_[statusPaneCount] = {};
    std::map<int, QAction*> actions_;
};
